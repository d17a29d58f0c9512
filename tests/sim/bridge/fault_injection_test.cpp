// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>

#include "board_test_support.h"
#include "sim/bridge/simulated_board.h"

namespace qvm::sim {
namespace {

using test::RecordingTarget;
using test::Request;

class FaultInjectionTest : public ::testing::Test {
 protected:
  FaultInjectionTest() {
    board.Write(test::SetupBlock(true));
    board.ClearReceivedReports();
  }

  // One packet exchange with sequence `sequence`; the reply, or nothing.
  std::optional<Report> Packet(std::uint8_t sequence) {
    if (!board.Write(Request({22, sequence, 3, 0x00, 0x01, 0x02, 0x03}))) return std::nullopt;
    Report reply{};
    if (board.Read(reply, 0) != ReadResult::Report) return std::nullopt;
    return reply;
  }

  // Every reply `request` gets, in the order the host reads them.
  std::vector<Report> Replies(const Report& request) {
    std::vector<Report> replies;
    if (!board.Write(request)) return replies;
    Report reply{};
    while (board.Read(reply, 0) == ReadResult::Report) replies.push_back(reply);
    return replies;
  }

  VirtualClock clock;
  RecordingTarget target;
  SimulatedBoard board{clock, "sim0", kBridgeVendorId, kBridgeProductId, &target};
};

TEST_F(FaultInjectionTest, DropLosesOnlyTheCountedReplies) {
  board.Faults().dropReplies = 1;
  EXPECT_FALSE(Packet(1));
  EXPECT_EQ(target.seen.size(), 1u);  // the packet still went out
  EXPECT_TRUE(Packet(2));
  EXPECT_EQ(board.Faults().dropReplies, 0);
}

TEST_F(FaultInjectionTest, DropAlwaysAlsoSilencesFirmwareReplies) {
  board.Faults().dropReplies = kAlways;
  for (std::uint8_t s = 1; s <= 3; ++s) EXPECT_FALSE(Packet(s));
  ASSERT_TRUE(board.Write(Request({0})));
  EXPECT_EQ(board.PendingReplies(), 0u);
  EXPECT_EQ(board.Faults().dropReplies, kAlways);
}

TEST_F(FaultInjectionTest, WrongSequenceNeverMatchesTheRequest) {
  board.Faults().wrongSequence = kAlways;
  for (std::uint8_t s = 1; s <= 7; ++s) {
    const auto reply = Packet(s);
    ASSERT_TRUE(reply);
    EXPECT_NE((*reply)[2], s);
    EXPECT_GE((*reply)[2], 1);
    EXPECT_LE((*reply)[2], 7);
  }
}

TEST_F(FaultInjectionTest, ZeroSequenceForTheFirstTwoReplies) {
  board.Faults().zeroSequence = 2;
  EXPECT_EQ((*Packet(4))[2], 0);
  EXPECT_EQ((*Packet(4))[2], 0);
  EXPECT_EQ((*Packet(5))[2], 5);
}

TEST_F(FaultInjectionTest, SequenceFaultsLeaveFirmwareRepliesAlone) {
  board.Faults().zeroSequence = 1;
  ASSERT_TRUE(board.Write(Request({8, 1})));
  Report reply{};
  ASSERT_EQ(board.Read(reply, 0), ReadResult::Report);
  EXPECT_EQ(reply[2], 24);
  EXPECT_EQ(board.Faults().zeroSequence, 1);
  EXPECT_EQ((*Packet(3))[2], 0);
}

TEST_F(FaultInjectionTest, WrongReportIdChangesOnlyByteZeroOfTheCountedPacketReplies) {
  target.answer = {0xA1, 0xA2, 0xA3, 0xA4};
  const Report clean = *Packet(1);
  board.Faults().wrongReportId = 2;
  ASSERT_TRUE(board.Write(Request({0})));
  Report version{};
  ASSERT_EQ(board.Read(version, 0), ReadResult::Report);
  EXPECT_EQ(version[0], clean[0]);  // firmware replies keep their report id
  for (int i = 0; i < 2; ++i) {
    const auto reply = Packet(1);
    ASSERT_TRUE(reply);
    EXPECT_NE((*reply)[0], clean[0]);
    EXPECT_TRUE(std::equal(reply->begin() + 1, reply->end(), clean.begin() + 1));
  }
  EXPECT_EQ(Packet(1), clean);
  EXPECT_EQ(board.Faults().wrongReportId, 0);
}

TEST_F(FaultInjectionTest, ShortReplyLowersTheCountAndClearsTheRest) {
  target.answer = {0xA1, 0xA2, 0xA3, 0xA4, 0xA5};
  board.Faults().shortReplies = 1;
  board.Faults().shortReplyCount = 3;
  const auto reply = Packet(1);
  ASSERT_TRUE(reply);
  EXPECT_EQ((*reply)[2], 1);
  EXPECT_EQ((*reply)[3], 3);
  EXPECT_EQ((*reply)[5], 0xA1);
  EXPECT_EQ((*reply)[6], 0xA2);
  EXPECT_EQ((*reply)[7], 0);
  EXPECT_EQ((*Packet(2))[3], 6);
}

TEST_F(FaultInjectionTest, ShortReplyNeverLengthensAReply) {
  target.answer = {0xA1};
  board.Faults().shortReplies = kAlways;
  board.Faults().shortReplyCount = 10;
  EXPECT_EQ((*Packet(1))[3], 2);
}

// The stray looks like a late SPI packet reply: the last one the board sent, or before any, one
// of its own; the set-up block follows it unchanged.
TEST_F(FaultInjectionTest, StrayPacketReplyComesFirstOnTheCountedSetupBlockReadBacks) {
  const Report setupRead = Request({20, 1});
  const std::vector<Report> clean = Replies(setupRead);
  ASSERT_EQ(clean.size(), 1u);
  target.answer = {0xA1, 0xA2, 0xA3, 0xA4};
  board.Faults().strayBeforeSetupRead = 2;
  for (const bool afterPacket : {false, true}) {
    const std::optional<Report> last = afterPacket ? Packet(3) : std::nullopt;
    const std::vector<Report> replies = Replies(setupRead);
    ASSERT_EQ(replies.size(), 2u) << afterPacket;
    const Report& stray = replies[0];
    EXPECT_NE(stray, clean[0]);
    EXPECT_EQ(stray[0], clean[0][0]);
    EXPECT_EQ(stray[1], kStatusOk);
    EXPECT_GE(stray[2], 1);
    EXPECT_LE(stray[2], 7);
    EXPECT_GE(stray[3], 2);  // at least one byte clocked in
    if (last) {
      EXPECT_EQ(stray, *last);
    }
    EXPECT_EQ(replies[1], clean[0]);
  }
  EXPECT_EQ(Replies(setupRead), clean);
  EXPECT_EQ(board.Faults().strayBeforeSetupRead, 0);
}

TEST_F(FaultInjectionTest, StrayPacketReplyPrecedesNoOtherReply) {
  const std::vector<Report> requests{test::SetupBlock(true), Request({0}), Request({8, 1}),
                                     Request({22, 1, 3, 0x00, 0x01, 0x02, 0x03})};
  for (const Report& request : requests) {
    const std::size_t clean = Replies(request).size();
    board.Faults().strayBeforeSetupRead = kAlways;
    EXPECT_EQ(Replies(request).size(), clean) << int{request[1]};
    board.Faults().strayBeforeSetupRead = 0;
  }
}

TEST_F(FaultInjectionTest, WriteFailureLosesTheReportAndSaysSo) {
  board.Faults().failWrites = 1;
  EXPECT_FALSE(board.Write(Request({22, 1, 1, 0, 0x01})));
  EXPECT_FALSE(board.LastError().empty());
  EXPECT_TRUE(target.seen.empty());
  EXPECT_TRUE(board.ReceivedReports().empty());
  EXPECT_EQ(board.PendingReplies(), 0u);
  EXPECT_TRUE(Packet(2));
}

TEST_F(FaultInjectionTest, UnpluggedBoardFailsWritesAndReadsUntilReplugged) {
  board.Faults().replyLatencyMs = 5;
  ASSERT_TRUE(board.Write(Request({0})));
  board.Unplug();
  EXPECT_FALSE(board.Plugged());
  EXPECT_EQ(board.LastError(), "simulated board unplugged");
  EXPECT_FALSE(board.Write(Request({0})));
  Report reply{};
  EXPECT_EQ(board.Read(reply, 100), ReadResult::Error);
  EXPECT_EQ(clock.NowMs(), 0);

  board.Replug();
  EXPECT_TRUE(board.Plugged());
  EXPECT_EQ(board.PendingReplies(), 0u);  // the reply before the unplug is lost
  board.Faults().replyLatencyMs = 0;
  EXPECT_TRUE(Packet(1));
}

TEST_F(FaultInjectionTest, HungFirmwareTakesEveryReportAndAnswersNone) {
  board.SetFirmwareHung(true);
  const std::vector<Report> requests{Request({0}), Request({20, 1}), Request({8, 1}),
                                     Request({22, 1, 3, 0x00, 0x01, 0x02, 0x03}),
                                     Request({6, 0xA1, 1, 1, 0x00})};
  for (const Report& request : requests) {
    EXPECT_TRUE(board.Write(request)) << int{request[1]};
    Report reply{};
    EXPECT_EQ(board.Read(reply, 100), ReadResult::Timeout) << int{request[1]};
  }
  EXPECT_EQ(board.ReceivedReports().size(), requests.size());
  EXPECT_TRUE(target.seen.empty());
  EXPECT_EQ(board.PendingReplies(), 0u);
}

TEST_F(FaultInjectionTest, HistoryRecordsWhatTheConsoleSentAndStaysBounded) {
  const Report first = Request({22, 1, 3, 0x00, 0x01, 0x02, 0x03});
  ASSERT_TRUE(board.Write(first));
  ASSERT_TRUE(board.Write(Request({7, 0, 0x03})));
  ASSERT_EQ(board.ReceivedReports().size(), 2u);
  EXPECT_EQ(board.ReceivedReports()[0], first);
  EXPECT_EQ(board.ReceivedReports()[1][1], 7);

  for (std::size_t i = 0; i + 1 < SimulatedBoard::kHistoryLimit; ++i) board.Write(Request({0}));
  EXPECT_EQ(board.ReceivedReports().size(), SimulatedBoard::kHistoryLimit);
  EXPECT_EQ(board.ReceivedReports().front()[1], 7);
  board.ClearReceivedReports();
  EXPECT_TRUE(board.ReceivedReports().empty());
}

}  // namespace
}  // namespace qvm::sim
