// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "run_qvmctl.h"

namespace qvm::cli {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(QvmctlPanelTest, ScanVoltsLogsOneTransferPerDevice) {
  const CliRun r = Qvmctl({"--sim", "daisy:52400x3", "command", "scan-volts"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> sent;
  for (const std::string& line : Lines(r.out)) {
    if (line.rfind("cmd,", 0) == 0) sent.push_back(line);
  }
  const std::vector<std::string> expected = {"cmd,QVM52400,dev0x01,cat0x03,adr0x01,dat0x0000",
                                             "cmd,QVM52400,dev0x02,cat0x03,adr0x01,dat0x0000",
                                             "cmd,QVM52400,dev0x03,cat0x03,adr0x01,dat0x0000"};
  EXPECT_EQ(sent, expected) << r.out;
  EXPECT_EQ(r.out.find("IdentifyDaisyChain"), std::string::npos) << "connect log is not printed";
}

TEST(QvmctlPanelTest, SleepAndWakeGoToTheBroadcastAddress) {
  for (const char* name : {"sleep", "wake"}) {
    const CliRun r = Qvmctl({"--sim", "daisy:52400x3", "command", name});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_FALSE(lines.empty()) << name;
    EXPECT_EQ(lines.front().rfind("cmd,QVM52400,dev0x0F,cat0x03,adr", 0), 0u) << lines.front();
  }
}

TEST(QvmctlPanelTest, ClearFaultsWritesFiveRegistersPerDevice) {
  const CliRun r = Qvmctl({"--sim", "daisy:52400x3", "command", "clear-faults"});
  ASSERT_EQ(r.status, 0) << r.err;
  int writes = 0;
  for (const std::string& line : Lines(r.out)) writes += line.rfind("wrt,", 0) == 0 ? 1 : 0;
  EXPECT_EQ(writes, 15) << r.out;
}

TEST(QvmctlPanelTest, UnknownNamesAreRefused) {
  const CliRun command = Qvmctl({"--sim", "daisy:52400x3", "command", "scan-everything"});
  EXPECT_EQ(command.status, 2);
  EXPECT_NE(command.err.find("scan-volts|scan-temps"), std::string::npos) << command.err;
  const CliRun readall = Qvmctl({"--sim", "daisy:52400x3", "readall", "pressures"});
  EXPECT_EQ(readall.status, 2);
  EXPECT_NE(readall.err.find("volts, temps, faults or setups"), std::string::npos);
}

TEST(QvmctlPanelTest, ReadAllVoltsPrintsARowPerDevice) {
  // Fresh devices have not scanned yet, so every reading is zero.
  const CliRun r = Qvmctl({"--sim", "daisy:52400x3", "readall", "volts"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string zeros =
      "   0.0000   0.0000   0.0000   0.0000   0.0000   0.0000   0.0000   0.0000   0.0000   "
      "0.0000   0.0000   0.0000   0.0000";
  const std::string expected =
      "TYPE      DEV      VBAT       C1       C2       C3       C4       C5       C6       C7      "
      " C8       C9      C10      C11      C12\n"
      "QVM52400  1   " +
      zeros + "\nQVM52400  2   " + zeros + "\nQVM52400  3   " + zeros + "\n";
  EXPECT_EQ(r.out, expected);
}

TEST(QvmctlPanelTest, ReadAllVoltsAfterAScanShowsCellVoltages) {
  const CliRun r = Qvmctl({"--sim", "daisy:52400x2", "readall", "volts", "--scan"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 3u) << r.out;
  std::istringstream row(lines[2]);
  std::string type;
  int dev = 0;
  double vbat = 0;
  row >> type >> dev >> vbat;
  EXPECT_EQ(dev, 2);
  double sum = 0;
  for (int cell = 0; cell < 12; ++cell) {
    double volts = 0;
    ASSERT_TRUE(row >> volts) << lines[2];
    EXPECT_GT(volts, 3.0);
    EXPECT_LT(volts, 4.3);
    sum += volts;
  }
  EXPECT_NEAR(vbat, sum, 0.5);
}

TEST(QvmctlPanelTest, ReadAllFaultsPrintsRegisterValues) {
  const CliRun r = Qvmctl({"--sim", "daisy:52400x3", "readall", "faults"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 4u) << r.out;
  EXPECT_EQ(lines[0],
            "TYPE      DEV      0x80     0x81     0x82     0x83     0x84     0x85     0x86");
  EXPECT_EQ(lines[3].rfind("QVM52400  3      0x", 0), 0u) << lines[3];
}

TEST(QvmctlPanelTest, ReadAllTempsFormatsDegreesWithOneDecimal) {
  const CliRun r = Qvmctl({"--sim", "daisy:52400x2", "readall", "temps"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 3u) << r.out;
  EXPECT_EQ(lines[0],
            "TYPE      DEV      TINT     EXT1     EXT2     EXT3     EXT4     EXT5     EXT6");
  // Degrees with one decimal, then the external inputs in volts with four; registers the
  // device type does not have show a dash.
  const std::regex row(R"(QVM52400  1 +-?\d+\.\d( +(-?\d+\.\d{4}|-)){6})");
  EXPECT_TRUE(std::regex_match(lines[1], row)) << lines[1];
}

}  // namespace
}  // namespace qvm::cli
