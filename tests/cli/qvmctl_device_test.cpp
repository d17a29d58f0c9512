// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <regex>

#include "run_qvmctl.h"

namespace qvm::cli {
namespace {

std::string LastLine(const std::string& text) {
  const std::size_t start = text.rfind('\n', text.size() - 2);
  return text.substr(start == std::string::npos ? 0 : start + 1);
}

// Every chain is found as it is, a lone device of either type as one device.
TEST(QvmctlDeviceTest, IdentifiesEveryChainAsItIs) {
  const struct {
    const char* chain;
    std::vector<std::string> found;
  } cases[] = {
      {"daisy:52400x1", {"\nIdentifyDaisyChain: Found 1 QVM52400 devices\n"}},
      {"daisy:52400x2", {"\nIdentifyDaisyChain: Found 2 QVM52400 devices\n"}},
      {"daisy:52400x14", {"\nIdentifyDaisyChain: Found 14 QVM52400 devices\n"}},
      {"daisy:52400x3+52401x2", {"Found 3 QVM52400 devices\n", "Found 2 QVM52401 devices\n"}},
      {"daisy:52400x2+52401x1", {"Found 2 QVM52400 devices\n", "Found 1 QVM52401 devices\n"}},
      {"single:38817", {"IdentifyNonDaisyChain: Found QVM38817serial number = 0x"}},
  };
  for (const auto& c : cases) {
    const CliRun r = Qvmctl({"--sim", c.chain, "identify"});
    EXPECT_EQ(r.status, 0) << c.chain << ": " << r.err;
    EXPECT_EQ(r.err, "") << c.chain;
    for (const std::string& found : c.found) {
      EXPECT_NE(r.out.find(found), std::string::npos) << c.chain << ": " << r.out;
    }
  }
}

// A lone device is polled without a phantom device above it failing every tick.
TEST(QvmctlDeviceTest, LoneDeviceIsPolledWithoutErrors) {
  const CliRun r =
      Qvmctl({"--sim", "daisy:52400x1", "poll", "3", "--interval", "0", "--read", "volts"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(LastLine(r.out), "3 ticks, 3 chart samples\n");
}

// Identify exits 1 with a one-line reason when no device answered or the chain found differs
// from the one expected (--stack, else the simulated chain); the faults it met are on the error
// stream, also when a retry cured them. Daisy-chain exchanges per type: Identify 0, Identify
// 2.., the read that confirms the top device, the close.
TEST(QvmctlDeviceTest, IdentifyFailsUnlessTheExpectedChainIsFound) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string reason;
    std::string fault;
  } cases[] = {
      {{"--sim", "daisy:52401x2", "--family", "52400"},
       1,
       "qvmctl: identify: no device answered\n",
       "communication error: no acknowledge from QVM52400 device 1\n"},
      {{"--sim", "daisy:52400x2+52401x2", "--sim-faults", "silent@6"},
       1,
       "qvmctl: identify: 1 of 2 QVM52401 devices found\n",
       "communication error: no acknowledge from QVM52401 device 2\n"},
      {{"--sim", "daisy:52400x3", "--sim-faults", "silent@5"},
       1,
       "qvmctl: identify: the QVM52400 identification did not complete\n",
       "communication error: no acknowledge from QVM52400 device 3\n"},
      {{"--sim", "daisy:52400x3", "--stack", "4"},
       1,
       "qvmctl: identify: 3 of 4 QVM52400 devices found\n",
       ""},
      {{"--sim", "daisy:52400x3", "--stack", "2"},
       1,
       "qvmctl: identify: 3 QVM52400 devices found where 2 were expected\n",
       ""},
      {{"--sim", "daisy:52400x3", "--sim-faults", "crc@1"},
       0,
       "communication error: CRC4 error\n",
       "communication error: CRC4 error\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.push_back("identify");
    const CliRun r = Qvmctl(args);
    EXPECT_EQ(r.status, c.status) << c.args[1] << " " << c.args[3];
    EXPECT_EQ(LastLine(r.err), c.reason) << r.err;
    EXPECT_NE(r.err.find(c.fault), std::string::npos) << r.err;
  }
}

TEST(QvmctlDeviceTest, ReadPrintsOneHexadecimalValue) {
  const CliRun r = Qvmctl({"--sim", "daisy:52400x3", "read", "2", "2", "4"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::regex_match(r.out, std::regex("0x[0-9A-F]{4}\n"))) << r.out;
}

TEST(QvmctlDeviceTest, ReadOfADeviceThatDoesNotAnswerPrintsNoValue) {
  const CliRun r = Qvmctl({"--sim", "daisy:52400x3", "read", "5", "2", "4"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("qvmctl: read failed: device 5 did not answer\n"), std::string::npos)
      << r.err;
}

TEST(QvmctlDeviceTest, WriteReachesTheDeviceAndReadOnlyRegistersAreRefused) {
  CliRun r = Qvmctl({"--sim", "daisy:52400x3", "write", "-v", "2", "2", "22", "0x1234"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("wrt,QVM52400,dev0x02,cat0x0A,adr0x16,dat0x1234"), std::string::npos);

  r = Qvmctl({"--sim", "daisy:52400x3", "write", "2", "1", "1", "5"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("not writable"), std::string::npos);
}

TEST(QvmctlDeviceTest, RejectsAMalformedChainText) {
  CliRun r = Qvmctl({"--sim", "daisy:52400x15", "identify"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("qvmctl: --sim: chain 'daisy:52400x15': ", 0), 0u) << r.err;

  r = Qvmctl({"--sim", "daisy:52400x2", "--mode", "ring", "identify"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--mode"), std::string::npos);
}

TEST(QvmctlDeviceTest, BoardsListsTheSimulatedBoard) {
  const CliRun r = Qvmctl({"--sim", "single:52400", "boards"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("0  sim:evb  ", 0), 0u) << r.out;
}

}  // namespace
}  // namespace qvm::cli
