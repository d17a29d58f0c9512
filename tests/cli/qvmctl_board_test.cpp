// SPDX-License-Identifier: MIT
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
    EXPECT_EQ(r.status, 2) << args[1];
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

TEST(QvmctlBoardAccessTest, DeniedBoardIsListedAndNamedWithItsFix) {
  const CliRun listed = Qvmctl({"--sim", "daisy:52400x3", "--sim-faults", "denied", "boards"});
  EXPECT_EQ(listed.status, 1);
  EXPECT_EQ(listed.out,
            "-  sim:evb  1a86:2035  manufacturer \"Velquist\"  product \"Simulated bridge board\""
            "  serial \"SIM-0001\"  cannot be opened: Permission denied\n");

  for (const char* command : {"identify", "boards"}) {
    const CliRun r = Qvmctl({"--sim", "daisy:52400x3", "--sim-faults", "denied", command});
    EXPECT_NE(r.status, 0) << command;
    for (const char* part : {"sim:evb", "Permission denied", "udev rule 70-qvm-bridge.rules"}) {
      EXPECT_NE(r.err.find(part), std::string::npos) << command << ": " << r.err;
    }
  }
}

TEST(QvmctlBoardAccessTest, VendorIdOptionChoosesTheBoards) {
  CliRun r = Qvmctl({"--sim", "daisy:52400x3", "--vid", "0x1234", "boards"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.out.empty());
  EXPECT_NE(r.err.find("1234:2035"), std::string::npos) << r.err;

  r = Qvmctl({"--sim", "daisy:52400x3", "--vid", "0x1234", "identify"});
  EXPECT_NE(r.status, 0);

  r = Qvmctl({"--sim", "daisy:52400x3", "--vid", "0x1A86", "readall", "volts"});
  EXPECT_EQ(r.status, 0) << r.err;

  r = Qvmctl({"--sim", "daisy:52400x3", "--vid", "0x10000", "boards"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--vid"), std::string::npos);
}

}  // namespace
}  // namespace qvm::cli
