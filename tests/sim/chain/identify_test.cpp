// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "chain_test_support.h"
#include "sim/chain/register_map.h"

namespace qvm::sim {
namespace {

using test::Daisy;
using test::Frames;

std::vector<test::Answer> Identify(SimulatedChain& chain, int type, int n) {
  return Frames(Daisy(chain, type, 0, 3, regs::kIdentify, n));
}

TEST(IdentifyTest, ChainOfThreeIsNumberedInTurnAndTheTopSaysSo) {
  SimulatedChain chain(test::Daisy52400(3));
  const auto bottom = Identify(chain, 0, 0);
  ASSERT_EQ(bottom.size(), 1u);
  EXPECT_TRUE(test::IsAck(bottom[0]));

  const auto second = Identify(chain, 0, 2);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_TRUE(second[0].crcGood);
  EXPECT_EQ(second[0].adr, regs::kIdentify);
  EXPECT_EQ(second[0].dev, 2);
  EXPECT_EQ(second[0].dat >> 12, 3);
  EXPECT_EQ(second[0].dat & 0xFFF, 2);

  const auto third = Identify(chain, 0, 3);
  ASSERT_EQ(third.size(), 1u);
  EXPECT_EQ(third[0].dev, 3);
  EXPECT_EQ(third[0].dat >> 12, 2);

  EXPECT_TRUE(Identify(chain, 0, 4).empty());
  const auto close = Identify(chain, 0, 63);
  ASSERT_EQ(close.size(), 1u);
  EXPECT_TRUE(test::IsAck(close[0]));

  for (int position = 1; position <= 3; ++position) {
    EXPECT_EQ(chain.Device(0, position).Number(), position);
  }
}

TEST(IdentifyTest, TheConsoleSequenceCountsTheChain) {
  for (int count : {2, 3, 14}) {
    SimulatedChain chain(test::Daisy52400(count));
    EXPECT_EQ(test::IdentifyChain(chain, 0), count);
  }
}

TEST(IdentifyTest, LoneDeviceAnswersIdentifyTwoAsTheTop) {
  SimulatedChain chain(test::Daisy52400(1));
  EXPECT_TRUE(test::IsAck(Identify(chain, 0, 0).at(0)));
  const auto echo = Identify(chain, 0, 2);
  ASSERT_EQ(echo.size(), 1u);
  EXPECT_EQ(echo[0].dev, 1);
  EXPECT_EQ(echo[0].dat >> 12, 2);
  EXPECT_TRUE(Identify(chain, 0, 3).empty());
  // The console's sequence thus records two devices.
  SimulatedChain again(test::Daisy52400(1));
  EXPECT_EQ(test::IdentifyChain(again, 0), 2);
}

TEST(IdentifyTest, DevicesAnswerNothingUntilNumbered) {
  SimulatedChain chain(test::Daisy52400(2));
  EXPECT_TRUE(Daisy(chain, 0, 1, 2, 22).empty());
  EXPECT_TRUE(Daisy(chain, 0, 0, 3, regs::kScanVolts).empty());
  EXPECT_TRUE(Identify(chain, 0, 2).empty());  // no bottom device numbered yet
  EXPECT_TRUE(Identify(chain, 0, 63).empty());
  Identify(chain, 0, 0);
  EXPECT_EQ(Frames(Daisy(chain, 0, 1, 2, 22)).size(), 1u);
  EXPECT_TRUE(Daisy(chain, 0, 2, 2, 22).empty());
}

TEST(IdentifyTest, ResetClearsTheNumbering) {
  SimulatedChain chain(test::Daisy52400(3));
  ASSERT_EQ(test::IdentifyChain(chain, 0), 3);
  EXPECT_TRUE(Daisy(chain, 0, 1, 3, regs::kReset).empty());
  EXPECT_TRUE(Daisy(chain, 0, 1, 2, 22).empty());
  EXPECT_EQ(chain.Device(0, 3).Number(), 0);
  EXPECT_EQ(test::IdentifyChain(chain, 0), 3);
}

TEST(IdentifyTest, IdentifyZeroStartsTheNumberingAgain) {
  SimulatedChain chain(test::Daisy52400(3));
  ASSERT_EQ(test::IdentifyChain(chain, 0), 3);
  EXPECT_TRUE(test::IsAck(Identify(chain, 0, 0).at(0)));
  EXPECT_TRUE(Daisy(chain, 0, 2, 2, 22).empty());
  EXPECT_EQ(test::IdentifyChain(chain, 0), 3);
}

TEST(IdentifyTest, CompanionChainIsIdentifiedOnItsOwn) {
  SimulatedChain chain(test::Daisy52400(3, 2));
  EXPECT_EQ(test::IdentifyChain(chain, 1), 2);
  EXPECT_EQ(chain.Device(0, 1).Number(), 0);
  EXPECT_EQ(test::IdentifyChain(chain, 0), 3);
  EXPECT_EQ(chain.Device(1, 2).Number(), 2);
}

TEST(IdentifyTest, ChainWithoutDevicesOfATypeNeverAnswers) {
  SimulatedChain chain(test::Daisy52400(3));
  EXPECT_TRUE(Identify(chain, 1, 0).empty());
  EXPECT_EQ(test::IdentifyChain(chain, 1), 0);

  ChainLayout companionsOnly;
  companionsOnly.companionCount = 2;
  SimulatedChain companions(companionsOnly);
  EXPECT_EQ(test::IdentifyChain(companions, 0), 0);
  EXPECT_EQ(test::IdentifyChain(companions, 1), 2);
}

TEST(IdentifyTest, SleepingBottomDeviceIsNotNumbered) {
  SimulatedChain chain(test::Daisy52400(2));
  chain.Device(0, 1).Execute(regs::kSleep, 0);
  EXPECT_TRUE(Identify(chain, 0, 0).empty());
  EXPECT_EQ(chain.Device(0, 1).Number(), 0);
}

}  // namespace
}  // namespace qvm::sim
