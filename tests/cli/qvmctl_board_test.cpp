#include <gtest/gtest.h>

#include "run_qvmctl.h"

namespace qvm::cli {
namespace {

TEST(QvmctlSimFaultsTest, FaultListIsCheckedAndSeededRunsRepeat) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused{
      {{"--sim", "daisy:52400x3", "--sim-faults", "bogus@1", "identify"}, "unknown fault"},
      {{"--sim-faults", "crc=0.1", "identify"}, "need --sim"},
      {{"--sim-seed", "4", "identify"}, "need --sim"},
  };
  for (const auto& [args, reason] : refused) {
    const CliRun r = Qvmctl(args);
    EXPECT_NE(r.status, 0) << args[1];
    EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
  }

  const std::vector<std::string> faulty{
      "--sim", "daisy:52400x3", "--sim-faults", "crc=0.2", "--sim-seed", "5", "readall", "volts"};
  const CliRun first = Qvmctl(faulty);
  EXPECT_NE(first.err.find("CRC4 error"), std::string::npos) << first.err;
  const CliRun again = Qvmctl(faulty);
  EXPECT_EQ(again.err, first.err);
  EXPECT_EQ(again.out, first.out);
}

}  // namespace
}  // namespace qvm::cli
