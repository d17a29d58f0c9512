// SPDX-License-Identifier: MIT
#include "operations/balance_values.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "evb_bench.h"

namespace qvm::test {
namespace {

TEST(BalanceValueTextTest, HexAndDecimalTextsOfOneValue) {
  EXPECT_EQ(BalanceValueFromHex("0004001"), 0x4001u);
  EXPECT_EQ(BalanceDecText(0x4001), "000016385");
  EXPECT_EQ(BalanceHexText(BalanceValueFromDec("268435455")), "FFFFFFF");
  EXPECT_EQ(BalanceValueFromDec("999999999"), 999999999u & kBalanceValueMax);
  // A value of exactly 16 significant bits stays positive.
  EXPECT_EQ(BalanceValueFromHex("0008000"), 0x8000u);
  EXPECT_EQ(BalanceValueFromHex(""), 0u);
  EXPECT_EQ(BalanceHexText(0), "0000000");
  EXPECT_EQ(BalanceDecText(0), "000000000");
}

TEST(BalanceValueTextTest, ValueSplitsIntoTwoFourteenBitRegisters) {
  RegisterImage image;
  StoreBalanceValue(image, 2, 3, 0x4001);
  EXPECT_EQ(image.at(0, 2, 0xA6), 1);
  EXPECT_EQ(image.at(0, 2, 0xA7), 1);
  EXPECT_EQ(BalanceValue(image, 2, 3), 0x4001u);
  StoreBalanceValue(image, 2, 11, kBalanceValueMax);
  EXPECT_EQ(image.at(0, 2, 0xB6), 0x3FFF);
  EXPECT_EQ(image.at(0, 2, 0xB7), 0x3FFF);
  EXPECT_EQ(BalanceValue(image, 2, 12), 0u);
}

class BalanceValueTransferTest : public ::testing::Test {
 protected:
  explicit BalanceValueTransferTest(const std::string& chain = "daisy:52400x3") : bench(chain) {
    bench.Connect(kModeDaisyChain);
    bench.view.log.clear();
    bench.evb.board->ClearReceivedReports();
  }

  std::vector<std::string> Writes() const {
    std::vector<std::string> lines;
    for (const std::string& line : bench.view.LogLines()) {
      if (line.rfind("wrt,", 0) == 0) lines.push_back(line);
    }
    return lines;
  }

  EvbBench bench;
};

TEST_F(BalanceValueTransferTest, WriteToAllDevicesSendsEachDeviceItsOwnValue) {
  for (int device = 1; device <= 3; ++device) {
    StoreBalanceValue(bench.session.image, device, 1, 0x10000 * device + device);
  }
  EXPECT_TRUE(WriteBalanceValue(bench.session, 1, true, "cbWrite_Click"));
  const auto writes = Writes();
  ASSERT_EQ(writes.size(), 6u);
  EXPECT_EQ(writes[0], "wrt,QVM52400,dev0x01,cat0x0A,adr0x22,dat0x0001");
  EXPECT_EQ(writes[1], "wrt,QVM52400,dev0x01,cat0x0A,adr0x23,dat0x0004");
  EXPECT_EQ(writes[5], "wrt,QVM52400,dev0x03,cat0x0A,adr0x23,dat0x000C");
  EXPECT_EQ(bench.evb.chain->Device(0, 3).Read(0xA2), 3);
}

TEST_F(BalanceValueTransferTest, SingleModeWritesTheSelectedDeviceAndReadsItBack) {
  bench.session.state.SelectedDevice = 2;
  StoreBalanceValue(bench.session.image, 2, 0, 0x1234567);
  WriteBalanceValue(bench.session, 0, false, "cbWrite_Click");
  EXPECT_EQ(Writes().size(), 2u);
  bench.session.image.StoreRead(0, 2, 0xA0, 0, 1);
  bench.session.image.StoreRead(0, 2, 0xA1, 0, 1);
  EXPECT_TRUE(ReadBalanceValue(bench.session, 0, "cbRead_Click"));
  EXPECT_EQ(BalanceValue(bench.session.image, 2, 0), 0x1234567u);
}

class CompanionOnlyBalanceValueTest : public BalanceValueTransferTest {
 protected:
  CompanionOnlyBalanceValueTest() : BalanceValueTransferTest("daisy:52401x2") {}
};

TEST_F(CompanionOnlyBalanceValueTest, EveryButtonReportsNotPresentAndSendsNothing) {
  EXPECT_FALSE(ReadBalanceValue(bench.session, 0, "cbRead_Click"));
  EXPECT_FALSE(WriteBalanceValue(bench.session, 0, true, "cbWriteAll_Click"));
  ASSERT_EQ(bench.host.messages.size(), 2u);
  EXPECT_EQ(bench.host.messages[0].text, "QVM52400 not present!");
  EXPECT_EQ(bench.view.LogLines(),
            (std::vector<std::string>{
                "cbRead_Click: QVM52400 not present. Please check connections.",
                "cbWriteAll_Click: QVM52400 not present. Please check connections."}));
  EXPECT_TRUE(bench.evb.board->ReceivedReports().empty());
}

}  // namespace
}  // namespace qvm::test
