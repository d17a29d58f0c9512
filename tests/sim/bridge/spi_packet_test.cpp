// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <tuple>

#include "board_test_support.h"
#include "sim/bridge/simulated_board.h"

namespace qvm::sim {
namespace {

using test::RecordingTarget;
using test::Request;

class SpiPacketTest : public ::testing::Test {
 protected:
  Report Exchange(SimulatedBoard& board, const Report& request) {
    EXPECT_TRUE(board.Write(request));
    Report reply{};
    EXPECT_EQ(board.Read(reply, 0), ReadResult::Report);
    return reply;
  }

  VirtualClock clock;
  RecordingTarget target;
};

TEST_F(SpiPacketTest, ChainPacketReachesTargetAndItsBytesComeBack) {
  SimulatedBoard board(clock, "sim0", kBridgeVendorId, kBridgeProductId, &target);
  target.answer = {0xA1, 0xB2, 0xC3, 0xD4, 0xE5};
  ASSERT_TRUE(board.Write(test::SetupBlock(true)));
  clock.SleepMs(1234);

  const Report reply = Exchange(board, Request({22, 5, 4, 0x80, 0x13, 0x48, 0x0C, 0x00}));

  ASSERT_EQ(target.seen.size(), 1u);
  EXPECT_EQ(target.seen[0].bridgeCommand, 22);
  EXPECT_EQ(target.seen[0].header, 0x80);
  EXPECT_EQ(target.seen[0].bytes, (std::vector<std::uint8_t>{0x13, 0x48, 0x0C, 0x00}));
  EXPECT_EQ(target.seen[0].advancedToMs, 1234);

  EXPECT_EQ(reply[0], 1);
  EXPECT_EQ(reply[1], 0);
  EXPECT_EQ(reply[2], 5);
  EXPECT_EQ(reply[3], 6);
  EXPECT_EQ(reply[4], 0);
  EXPECT_EQ(std::vector<std::uint8_t>(reply.begin() + 5, reply.begin() + 10), target.answer);
  EXPECT_EQ(reply[10], 0);
}

TEST_F(SpiPacketTest, EveryPacketCommandPassesItsCodeAndHeader) {
  SimulatedBoard board(clock, "sim0", kBridgeVendorId, kBridgeProductId, &target);
  target.answer = {0x88};
  for (std::uint8_t command : {21, 22, 23, 24}) {
    ASSERT_TRUE(board.Write(test::SetupBlock(command != 21)));
    const std::uint8_t header = command == 24 ? 0x70 : 0x30;
    const Report reply = Exchange(board, Request({command, 3, 1, header, 0x00}));
    EXPECT_EQ(reply[2], 3);
    EXPECT_EQ(reply[3], 2);
    EXPECT_EQ(reply[5], 0x88);
    EXPECT_EQ(target.seen.back().bridgeCommand, command);
    EXPECT_EQ(target.seen.back().header, header);
  }
  EXPECT_EQ(target.advances, 4);
}

TEST_F(SpiPacketTest, LoopbackClocksInWhatWasClockedOut) {
  SimulatedBoard board(clock, "sim0");
  const Report reply = Exchange(board, Request({21, 7, 4, 0x00, 0x11, 0x22, 0x33, 0x44}));
  EXPECT_EQ(reply[2], 7);
  EXPECT_EQ(reply[3], 5);
  EXPECT_EQ(reply[4], 0);
  EXPECT_EQ(std::vector<std::uint8_t>(reply.begin() + 5, reply.begin() + 9),
            (std::vector<std::uint8_t>{0x11, 0x22, 0x33, 0x44}));
}

TEST_F(SpiPacketTest, EmptyPacketRepliesCountOne) {
  SimulatedBoard board(clock, "sim0");
  const Report reply = Exchange(board, Request({21, 2, 0, 0x00}));
  EXPECT_EQ(reply[3], 1);
}

TEST_F(SpiPacketTest, OversizedCountIsCutToTheReport) {
  SimulatedBoard board(clock, "sim0", kBridgeVendorId, kBridgeProductId, &target);
  target.answer.assign(80, 0x5A);
  ASSERT_TRUE(board.Write(test::SetupBlock(true)));
  const Report reply = Exchange(board, Request({22, 1, 200, 0x00}));
  ASSERT_EQ(target.seen.size(), 1u);
  EXPECT_EQ(target.seen[0].bytes.size(), 59u);
  EXPECT_EQ(reply[3], 60);
  EXPECT_EQ(reply[63], 0x5A);
}

TEST_F(SpiPacketTest, BenchRawWriteReadsBackOnlyWhenAsked) {
  SimulatedBoard board(clock, "sim0", kBridgeVendorId, kBridgeProductId, &target);
  target.answer = {0x01, 0x02};

  ASSERT_TRUE(board.Write(Request({22, 0, 0, 0, 0, 3, 0xAA, 0xBB, 0xCC})));
  EXPECT_EQ(board.PendingReplies(), 0u);
  ASSERT_EQ(target.seen.size(), 1u);
  EXPECT_EQ(target.seen[0].header, 0);
  EXPECT_EQ(target.seen[0].bytes, (std::vector<std::uint8_t>{0xAA, 0xBB, 0xCC}));

  const Report reply = Exchange(board, Request({22, 0, 1, 0, 0, 1, 0x55}));
  EXPECT_EQ(target.seen[1].bytes, (std::vector<std::uint8_t>{0x55}));
  EXPECT_EQ(reply[2], 0);
  EXPECT_EQ(reply[3], 3);
  EXPECT_EQ(reply[5], 0x01);
  EXPECT_EQ(reply[6], 0x02);
}

TEST_F(SpiPacketTest, PacketsMustMatchTheSetUpBlocksFramingAndReportIdOne) {
  SimulatedBoard board(clock, "sim0", kBridgeVendorId, kBridgeProductId, &target);
  target.answer = {0x42};
  // {daisy-chain bit set, command, answered}
  const std::vector<std::tuple<bool, std::uint8_t, bool>> cases{
      {false, 21, true}, {false, 22, false}, {false, 23, false}, {false, 24, false},
      {true, 21, false}, {true, 22, true},   {true, 23, true},   {true, 24, true}};
  for (const auto& [daisy, command, answered] : cases) {
    ASSERT_TRUE(board.Write(test::SetupBlock(daisy)));
    const std::size_t seen = target.seen.size();
    const Report reply = Exchange(board, Request({command, 2, 1, 0x00, 0x00}));
    EXPECT_EQ(reply[2], 2);
    EXPECT_EQ(reply[1], answered ? kStatusOk : kStatusDeviceError) << int{command} << daisy;
    EXPECT_EQ(reply[3], answered ? 2 : 1);
    EXPECT_EQ(target.seen.size(), seen + (answered ? 1 : 0));
  }
  Report foreign = Request({0});
  foreign[0] = 2;
  EXPECT_FALSE(board.Write(foreign));
  EXPECT_EQ(board.PendingReplies(), 0u);
}

}  // namespace
}  // namespace qvm::sim
