// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "board_test_support.h"
#include "sim/bridge/simulated_board.h"

namespace qvm::sim {
namespace {

using test::Request;

class ReplyTimingTest : public ::testing::Test {
 protected:
  VirtualClock clock;
  SimulatedBoard board{clock, "sim0"};
  Report reply{};
};

TEST_F(ReplyTimingTest, ReadOfASilentBoardSleepsTheWholeTimeOut) {
  EXPECT_EQ(board.Read(reply, 6000), ReadResult::Timeout);
  EXPECT_EQ(clock.NowMs(), 6000);
  EXPECT_EQ(board.Read(reply, 0), ReadResult::Timeout);
  EXPECT_EQ(clock.NowMs(), 6000);
}

TEST_F(ReplyTimingTest, ShorterTimeOutTimesOutThenLongerOneReturnsAtTheReadyTime) {
  board.Faults().replyLatencyMs = 10;
  clock.SleepMs(100);
  ASSERT_TRUE(board.Write(Request({21, 4, 1, 0, 0x99})));

  EXPECT_EQ(board.Read(reply, 3), ReadResult::Timeout);
  EXPECT_EQ(clock.NowMs(), 103);
  EXPECT_EQ(board.Read(reply, 0), ReadResult::Timeout);
  EXPECT_EQ(clock.NowMs(), 103);

  EXPECT_EQ(board.Read(reply, 50), ReadResult::Report);
  EXPECT_EQ(clock.NowMs(), 110);
  EXPECT_EQ(reply[2], 4);
  EXPECT_EQ(reply[5], 0x99);
}

TEST_F(ReplyTimingTest, TimeOutEndingExactlyAtTheReadyTimeGetsTheReply) {
  board.Faults().replyLatencyMs = 5;
  ASSERT_TRUE(board.Write(Request({0})));
  EXPECT_EQ(board.Read(reply, 5), ReadResult::Report);
  EXPECT_EQ(clock.NowMs(), 5);
}

TEST_F(ReplyTimingTest, RepliesComeInOrderAndNeverOvertake) {
  board.Faults().replyLatencyMs = 20;
  ASSERT_TRUE(board.Write(Request({21, 1, 0, 0})));
  board.Faults().replyLatencyMs = 0;
  ASSERT_TRUE(board.Write(Request({21, 2, 0, 0})));
  EXPECT_EQ(board.PendingReplies(), 2u);

  EXPECT_EQ(board.Read(reply, 1), ReadResult::Timeout);
  EXPECT_EQ(board.Read(reply, 100), ReadResult::Report);
  EXPECT_EQ(reply[2], 1);
  EXPECT_EQ(clock.NowMs(), 20);
  EXPECT_EQ(board.Read(reply, 0), ReadResult::Report);
  EXPECT_EQ(reply[2], 2);
}

TEST_F(ReplyTimingTest, NegativeTimeOutWaitsForAQueuedReplyButNeverHangs) {
  EXPECT_EQ(board.Read(reply, -1), ReadResult::Timeout);
  EXPECT_EQ(clock.NowMs(), 0);
  board.Faults().replyLatencyMs = 250;
  ASSERT_TRUE(board.Write(Request({0})));
  EXPECT_EQ(board.Read(reply, -1), ReadResult::Report);
  EXPECT_EQ(clock.NowMs(), 250);
}

TEST_F(ReplyTimingTest, QueueKeepsTheNewestReplies) {
  for (std::size_t i = 0; i < SimulatedBoard::kQueueLimit + 3; ++i) {
    ASSERT_TRUE(board.Write(Request({21, static_cast<std::uint8_t>(i), 0, 0})));
  }
  EXPECT_EQ(board.PendingReplies(), SimulatedBoard::kQueueLimit);
  ASSERT_EQ(board.Read(reply, 0), ReadResult::Report);
  EXPECT_EQ(reply[2], 3);
}

TEST(ReplyTimingSystemClock, ReplyWithLatencyArrivesOnTheRealClock) {
  SystemClock clock;
  SimulatedBoard board(clock, "sim0");
  board.Faults().replyLatencyMs = 2;
  ASSERT_TRUE(board.Write(Request({21, 6, 1, 0, 0x42})));
  Report reply{};
  ASSERT_EQ(board.Read(reply, 1000), ReadResult::Report);
  EXPECT_EQ(reply[2], 6);
  EXPECT_EQ(board.Read(reply, 0), ReadResult::Timeout);
}

}  // namespace
}  // namespace qvm::sim
