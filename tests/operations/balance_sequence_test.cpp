// SPDX-License-Identifier: MIT
#include "operations/balance_sequence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "evb_bench.h"
#include "model/decoders.h"

namespace qvm::test {
namespace {

std::vector<std::string> Transfers(const RecordingView& view) {
  std::vector<std::string> lines;
  for (const std::string& line : view.LogLines()) {
    if (line.rfind("cmd,", 0) == 0 || line.rfind("wrt,", 0) == 0) lines.push_back(line);
  }
  return lines;
}

TEST(BalanceBankTest, BankSelectionKeepsTheOtherSetupBits) {
  EXPECT_EQ(SetupSelectingBank(0x0205, 3), 0x0265);
  EXPECT_EQ(SetupSelectingBank(0x03FF, 0), 0x021F);
  EXPECT_EQ(SetupSelectingBank(0x0000, 12), 12 * 32);
  EXPECT_EQ(SetupSelectingBank(0x0000, 20), 12 * 32);
}

class BalanceSequenceTest : public ::testing::Test {
 protected:
  explicit BalanceSequenceTest(const std::string& chain = "daisy:52400x2") : bench(chain) {
    bench.Connect(kModeDaisyChain);
    bench.view.log.clear();
  }

  EvbBench bench;
};

TEST_F(BalanceSequenceTest, ReadingABankSelectsItFirst) {
  bench.evb.chain->Device(0, 1).Poke(kRegBalanceSetup, 0x0205);
  bench.evb.chain->Device(0, 1).Poke(kRegBalanceSwitches, 0x0ABC);
  const auto value = ReadBalanceBank(bench.session, 3, "cbRead_Click");
  const auto sent = Transfers(bench.view);
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0], "cmd,QVM52400,dev0x01,cat0x02,adr0x13,dat0x00");
  EXPECT_EQ(sent[1], "wrt,QVM52400,dev0x01,cat0x0A,adr0x13,dat0x0265");
  EXPECT_EQ(sent[2], "cmd,QVM52400,dev0x01,cat0x02,adr0x14,dat0x00");
  EXPECT_EQ(bench.evb.chain->Device(0, 1).Read(kRegBalanceSetup), 0x0265);
  ASSERT_TRUE(value);
  EXPECT_EQ(*value, 0x0ABC);
  EXPECT_EQ(bench.session.state.BalanceStatusImage[1][3], 0x0ABC);
}

TEST_F(BalanceSequenceTest, WriteAllBanksToAllDevicesMakesThreeTransfersEach) {
  for (int bank = 0; bank < kBalanceBanks; ++bank) {
    WriteBalanceBank(bench.session, bank, static_cast<std::int16_t>(bank + 1), true,
                     "cbWriteAll_Click");
  }
  EXPECT_EQ(Transfers(bench.view).size(), 13u * 2u * 3u);
  EXPECT_EQ(bench.session.state.BalanceStatusImage[2][12], 13);
  EXPECT_EQ(bench.evb.chain->Device(0, 2).Read(kRegBalanceSwitches), 13);
  EXPECT_EQ(bench.evb.chain->Device(0, 2).Read(kRegBalanceSetup), 12 * 32);
}

TEST_F(BalanceSequenceTest, SingleDeviceModeWritesTheSelectedDeviceOnly) {
  bench.session.state.SelectedDevice = 2;
  WriteBalanceBank(bench.session, 0, 0x0FFF, false, "cbWrite_Click");
  EXPECT_EQ(bench.evb.chain->Device(0, 2).Read(kRegBalanceSwitches), 0x0FFF);
  EXPECT_EQ(bench.evb.chain->Device(0, 1).Read(kRegBalanceSwitches), 0);
  EXPECT_EQ(bench.session.image.at(0, 2, kRegBalanceSwitches), 0x0FFF);
}

}  // namespace
}  // namespace qvm::test
