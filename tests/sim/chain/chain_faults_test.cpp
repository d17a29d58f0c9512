// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "chain_test_support.h"
#include "sim/chain/register_map.h"

namespace qvm::sim {
namespace {

using test::Daisy;
using test::Frames;

class ChainFaultsTest : public testing::Test {
 protected:
  ChainFaultsTest() : chain(test::Daisy52400(3)) { test::NumberAll(chain); }
  std::vector<std::uint8_t> ReadUser(int dev) { return Daisy(chain, 0, dev, 2, 22); }
  SimulatedChain chain;
};

TEST_F(ChainFaultsTest, BadCrcSpoilsTheChosenFrameOfTheNextReplyOnly) {
  chain.Faults().badCrc = 1;
  chain.Faults().badCrcFrame = 1;
  const auto acks = Frames(Daisy(chain, 0, 0, 3, regs::kScanVolts));
  ASSERT_EQ(acks.size(), 3u);
  EXPECT_TRUE(acks[0].crcGood);
  EXPECT_FALSE(acks[1].crcGood);
  EXPECT_TRUE(acks[2].crcGood);
  EXPECT_TRUE(Frames(ReadUser(1)).at(0).crcGood);
  EXPECT_EQ(chain.Faults().badCrc, 0);
}

TEST_F(ChainFaultsTest, BadCrcBeyondTheReplySpoilsItsLastFrame) {
  chain.Faults().badCrc = kAlways;
  chain.Faults().badCrcFrame = 20;
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(Frames(ReadUser(2)).at(0).crcGood);
  // Inside a block the spoiled word is one of the 3-byte frames.
  chain.Faults().badCrcFrame = 5;
  const auto block = Daisy(chain, 0, 1, 1, 15);
  ASSERT_EQ(block.size(), 40u);
  EXPECT_TRUE(CheckCrc4(std::span(block).first(4)));
  for (std::size_t word = 1; word < 13; ++word) {
    EXPECT_EQ(CheckCrc4(std::span(block).subspan(4 + 3 * (word - 1), 3)), word != 5);
  }
  EXPECT_EQ(chain.Faults().badCrc, kAlways);
}

TEST_F(ChainFaultsTest, NakReplacesTheAnswer) {
  chain.Faults().nakInstead = 2;
  for (int i = 0; i < 2; ++i) {
    const auto answers = Frames(ReadUser(3));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_TRUE(test::IsNak(answers[0]));
    EXPECT_EQ(answers[0].dev, 3);
  }
  EXPECT_EQ(Frames(ReadUser(3)).at(0).adr, 22);
}

TEST_F(ChainFaultsTest, NakIsNotUsedUpByASilentReply) {
  chain.Faults().nakInstead = 1;
  EXPECT_TRUE(ReadUser(9).empty());
  EXPECT_TRUE(test::IsNak(Frames(ReadUser(1)).at(0)));
}

TEST_F(ChainFaultsTest, SilentDeviceLeavesTheOthersAnswering) {
  chain.Faults().silentDevice = kAlways;
  chain.Faults().silentPosition = 2;
  EXPECT_TRUE(ReadUser(2).empty());
  EXPECT_EQ(Frames(ReadUser(1)).size(), 1u);
  EXPECT_EQ(Frames(ReadUser(3)).size(), 1u);
  const auto acks = Frames(Daisy(chain, 0, 0, 3, regs::kScanVolts));
  ASSERT_EQ(acks.size(), 2u);
  EXPECT_EQ(acks[0].dev, 1);
  EXPECT_EQ(acks[1].dev, 3);
  // It still acts on what it hears.
  EXPECT_NE(chain.Device(0, 2).Read(regs::kCell1), 0);
}

TEST_F(ChainFaultsTest, SilentDeviceOnceAnswersAgainAfterwards) {
  chain.Faults().silentDevice = 1;
  chain.Faults().silentPosition = 1;
  EXPECT_TRUE(ReadUser(1).empty());
  EXPECT_EQ(Frames(ReadUser(1)).size(), 1u);
}

TEST_F(ChainFaultsTest, SilentTopDeviceBreaksIdentification) {
  SimulatedChain fresh(test::Daisy52400(3));
  fresh.Faults().silentDevice = kAlways;
  fresh.Faults().silentPosition = 3;
  EXPECT_EQ(test::IdentifyChain(fresh, 0), 0);
  fresh.Faults().silentDevice = 0;
  EXPECT_EQ(test::IdentifyChain(fresh, 0), 3);
}

TEST_F(ChainFaultsTest, WrongIdentifyEchoCarriesStatusOne) {
  SimulatedChain fresh(test::Daisy52400(3));
  fresh.Faults().wrongIdentifyEcho = 1;
  EXPECT_TRUE(test::IsAck(Frames(Daisy(fresh, 0, 0, 3, regs::kIdentify, 0)).at(0)));
  const auto wrong = Frames(Daisy(fresh, 0, 0, 3, regs::kIdentify, 2));
  ASSERT_EQ(wrong.size(), 1u);
  EXPECT_EQ(wrong[0].dat >> 12, 1);
  EXPECT_EQ(test::IdentifyChain(fresh, 0), 3);  // the next attempt succeeds
}

TEST_F(ChainFaultsTest, SilentChainNeitherActsNorAnswers) {
  chain.Faults().silentChain = kAlways;
  EXPECT_TRUE(Daisy(chain, 0, 0, 3, regs::kScanVolts).empty());
  EXPECT_EQ(chain.Device(0, 1).Read(regs::kCell1), 0);
  EXPECT_TRUE(Daisy(chain, 0, 1, 8 + 2, 22, 7).empty());
  EXPECT_EQ(chain.Device(0, 1).Read(regs::kUser), 0);
  chain.Faults().silentChain = 1;
  EXPECT_TRUE(ReadUser(1).empty());
  EXPECT_EQ(Frames(ReadUser(1)).size(), 1u);
}

TEST_F(ChainFaultsTest, SilentChainInSingleDeviceModeIdlesHigh) {
  ChainLayout chainLayout;
  chainLayout.mode = ChainMode::kSingle;
  chainLayout.primaryCount = 1;
  SimulatedChain single(chainLayout);
  single.Device(0, 1).Poke(regs::kUser, 0x3A5A);
  single.Faults().silentChain = 1;
  const auto silent = test::Send(single, test::kCmdSingle, 0x00, {0x25, 0x80, 0, 0, 0});
  EXPECT_EQ(silent, std::vector<std::uint8_t>(5, 0xFF));
  const auto heard = test::Send(single, test::kCmdSingle, 0x00, {0x25, 0x80, 0, 0, 0});
  EXPECT_EQ((heard[2] & 0x3F) * 256 + heard[3], 0x3A5A);
}

}  // namespace
}  // namespace qvm::sim
