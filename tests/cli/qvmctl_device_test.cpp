#include <gtest/gtest.h>

#include <regex>

#include "run_qvmctl.h"

namespace qvm::cli {
namespace {

TEST(QvmctlDeviceTest, IdentifiesASimulatedDaisyChain) {
  const CliRun r = Qvmctl({"--sim", "daisy:52400x3", "identify"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\nIdentifyDaisyChain: Found 3 QVM52400 devices\n"), std::string::npos)
      << r.out;
}

TEST(QvmctlDeviceTest, IdentifiesBothTypesOfAMixedChain) {
  const CliRun r = Qvmctl({"--sim", "daisy:52400x3+52401x2", "identify"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Found 3 QVM52400 devices"), std::string::npos);
  EXPECT_NE(r.out.find("Found 2 QVM52401 devices"), std::string::npos);
}

TEST(QvmctlDeviceTest, IdentifyFailsWhenNoDeviceAnswers) {
  // Only companions on the board, but the configuration looks for primary ICs alone.
  const CliRun r = Qvmctl({"--sim", "daisy:52401x2", "--family", "52400", "identify"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("did not respond with ACK"), std::string::npos) << r.out;
}

TEST(QvmctlDeviceTest, SingleDeviceIdentifyReadsTheSerialNumber) {
  const CliRun r = Qvmctl({"--sim", "single:38817", "identify"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("IdentifyNonDaisyChain: Found QVM38817serial number = 0x"),
            std::string::npos)
      << r.out;
}

TEST(QvmctlDeviceTest, ReadPrintsOneHexadecimalValue) {
  const CliRun r = Qvmctl({"--sim", "daisy:52400x3", "read", "2", "2", "4"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::regex_match(r.out, std::regex("0x[0-9A-F]{4}\n"))) << r.out;
}

TEST(QvmctlDeviceTest, WriteReachesTheDeviceAndReadOnlyRegistersAreRefused) {
  CliRun r = Qvmctl({"--sim", "daisy:52400x3", "write", "-v", "2", "2", "22", "0x1234"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("wrt,QVM52400,dev0x02,cat0x0A,adr0x16,dat0x1234"), std::string::npos);

  r = Qvmctl({"--sim", "daisy:52400x3", "write", "2", "1", "1", "5"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("not writable"), std::string::npos);
}

TEST(QvmctlDeviceTest, RejectsAMalformedChainText) {
  CliRun r = Qvmctl({"--sim", "daisy:52400x15", "identify"});
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("--sim daisy:52400x15"), std::string::npos);

  r = Qvmctl({"--sim", "daisy:52400x2", "--mode", "ring", "identify"});
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("--mode"), std::string::npos);
}

TEST(QvmctlDeviceTest, BoardsListsTheSimulatedBoard) {
  const CliRun r = Qvmctl({"--sim", "single:52400", "boards"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("0  sim:evb  ", 0), 0u) << r.out;
}

}  // namespace
}  // namespace qvm::cli
