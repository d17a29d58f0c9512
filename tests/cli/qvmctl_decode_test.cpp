// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "run_qvmctl.h"

namespace qvm::cli {
namespace {

class QvmctlDecodeTest : public ::testing::Test {
 protected:
  QvmctlDecodeTest()
      : folder(std::filesystem::temp_directory_path() /
               ("qvmctl-decode-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    std::filesystem::create_directories(folder);
  }
  ~QvmctlDecodeTest() override { std::filesystem::remove_all(folder); }

  std::string Path(const char* name) const { return (folder / name).string(); }

  // Logs a polled run of the simulated board with `faults` (a --sim-faults list).
  std::string PolledLog(const std::string& faults) {
    const std::string log = Path("frames.txt");
    std::vector<std::string> args = {"--sim", "daisy:52400x2+52401x1"};
    if (!faults.empty()) args.insert(args.end(), {"--sim-faults", faults});
    args.insert(args.end(), {"poll", "2", "--interval", "0", "--scan", "all", "--read", "volts",
                             "faults", "--log", log});
    Qvmctl(args);
    return log;
  }

  std::filesystem::path folder;
};

TEST_F(QvmctlDecodeTest, APolledRunDecodesToATableOfItsRegisters) {
  const CliRun run = Qvmctl({"decode", PolledLog("")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out.rfind("LINE", 0), 0u);
  EXPECT_NE(run.out.find("[Logging Started: "), std::string::npos);
  EXPECT_NE(run.out.find("read all       1    0x0F Read All Voltages"), std::string::npos);
  EXPECT_NE(run.out.find("Cell 12 Voltage"), std::string::npos);
  EXPECT_NE(run.out.find("ACK"), std::string::npos);
  // The companion's fault block shows its type.
  EXPECT_NE(run.out.find("rcvd QVM52401"), std::string::npos);
}

TEST_F(QvmctlDecodeTest, FaultsInTheLogExitThreeWithASummaryLine) {
  const CliRun crc = Qvmctl({"decode", PolledLog("crc@20")});
  EXPECT_EQ(crc.status, 3);
  EXPECT_NE(crc.err.find("0 malformed lines and 1 bad CRC4 in "), std::string::npos) << crc.err;
  EXPECT_EQ(crc.err.find('\n'), crc.err.size() - 1);

  const std::string log = Path("bad.txt");
  std::ofstream(log, std::ios::binary) << "[Logging Started: now]\r\nSent: 13 14 09\r\nnoise\r\n"
                                       << "Sent: 13 14 09\r\n";
  const CliRun bad = Qvmctl({"decode", "--json", log});
  EXPECT_EQ(bad.status, 3);
  EXPECT_EQ(bad.err, "qvmctl: " + log +
                         ": 1 malformed line and 0 bad CRC4s in 4 lines, the first at line 3\n");
  EXPECT_NE(bad.out.find("{\"line\":3,\"kind\":\"malformed\",\"error\":"), std::string::npos);
  EXPECT_NE(bad.out.find("{\"line\":4,\"kind\":\"frame\""), std::string::npos);
}

TEST_F(QvmctlDecodeTest, AnUnreadableLogOrAMissingNameIsRefused) {
  const CliRun missing = Qvmctl({"decode", Path("none.txt")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("cannot read " + Path("none.txt")), std::string::npos);
  const CliRun folderRun = Qvmctl({"decode", folder.string()});
  EXPECT_EQ(folderRun.status, 1);
  EXPECT_EQ(Qvmctl({"decode"}).status, 2);
}

}  // namespace
}  // namespace qvm::cli
