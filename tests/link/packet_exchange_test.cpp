// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "link_fixture.h"
#include "sim/bridge/bridge_faults.h"

namespace qvm::test {
namespace {

class PacketExchangeTest : public LinkFixture {
 protected:
  PacketExchangeTest() {
    bridge.MessageTitle = "Console";
    bridge.OpenBridge();
    board->Firmware().Settings().setupBlock[sim::kSetupDaisyByte] = sim::kSetupDaisyBit;
    exchangeState.BridgeCommand = kCmdSpiDaisy;
    SetFrame({0x00, 0x03, 0x24, 0x26});
  }

  void SetFrame(std::vector<std::uint8_t> frame) {
    exchangeState.FrameBuffer = std::move(frame);
    exchangeState.FrameByteCount = static_cast<std::int32_t>(exchangeState.FrameBuffer.size());
  }

  const Report& LastSent() const { return board->ReceivedReports().back(); }
};

TEST_F(PacketExchangeTest, SendsTheFrameWithItsAnnouncedExtraByte) {
  exchange.cmdMCBSPI_Click();
  const Report& sent = LastSent();
  EXPECT_EQ(sent[0], 1);
  EXPECT_EQ(sent[1], kCmdSpiDaisy);
  EXPECT_EQ(sent[2], 1);
  EXPECT_EQ(sent[3], 4);
  EXPECT_EQ(sent[4], 0x00);
  EXPECT_EQ(sent[5], 0x03);
  EXPECT_EQ(sent[6], 0x24);
  EXPECT_EQ(sent[7], 0x26);
  EXPECT_EQ(sent[8], 0x00);
  EXPECT_FALSE(exchangeState.ExchangeFailed);
  EXPECT_FALSE(exchangeState.BridgeBusy);
  // The loopback clocks the same bytes back in.
  EXPECT_EQ(exchangeState.ReplyCount, 5);
  EXPECT_EQ(bridge.ReportBuffer[5], 0x03);
  EXPECT_EQ(bridge.ReportBuffer[2], 1);
}

TEST_F(PacketExchangeTest, SequenceNumbersRollFromOneToSeven) {
  std::vector<int> sequences;
  for (int i = 0; i < 8; ++i) {
    exchange.cmdMCBSPI_Click();
    sequences.push_back(LastSent()[2]);
  }
  EXPECT_EQ(sequences, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 1}));
  EXPECT_TRUE(view.log.empty());
}

TEST_F(PacketExchangeTest, ImmediateReplyNeedsNoCatchUpReads) {
  exchange.cmdMCBSPI_Click();
  ASSERT_EQ(view.exchanges.size(), 1u);
  EXPECT_EQ(view.exchanges[0].catchUpReads, -1);
  EXPECT_EQ(view.exchanges[0].requestSequence, 1);
  EXPECT_EQ(view.exchanges[0].replySequence, 1);
  EXPECT_EQ(view.exchanges[0].written[3], 4);
}

TEST_F(PacketExchangeTest, LateReplyArrivesDuringTheCatchUpReads) {
  board->Faults().replyLatencyMs = 6;
  exchange.cmdMCBSPI_Click();
  EXPECT_FALSE(exchangeState.ExchangeFailed);
  ASSERT_EQ(view.exchanges.size(), 1u);
  EXPECT_GT(view.exchanges[0].catchUpReads, 0);
  EXPECT_LE(view.exchanges[0].catchUpReads, 51);
  EXPECT_EQ(board->ReceivedReports().size(), 1u);
}

TEST_F(PacketExchangeTest, OneLostReplyIsRetriedOnceWithALogLine) {
  board->Faults().dropReplies = 1;
  exchange.cmdMCBSPI_Click();
  EXPECT_FALSE(exchangeState.ExchangeFailed);
  EXPECT_EQ(board->ReceivedReports().size(), 2u);
  EXPECT_EQ(board->ReceivedReports()[0][2], board->ReceivedReports()[1][2]);
  EXPECT_EQ(view.log, "Packet Sync: Retry count = 1BQTY 4XID 1RID 0\r\n");
  EXPECT_TRUE(host.messages.empty());
}

// A wrong sequence, or sequence 0, in both replies fails the exchange; the board is still
// attached, so polling goes on.
TEST_F(PacketExchangeTest, WrongOrZeroSequenceTwiceIsASyncError) {
  for (int sim::BridgeFaults::*fault :
       {&sim::BridgeFaults::wrongSequence, &sim::BridgeFaults::zeroSequence}) {
    board->Faults() = {};
    board->Faults().*fault = sim::kAlways;
    board->ClearReceivedReports();
    host.messages.clear();
    view.log.clear();
    exchange.cmdMCBSPI_Click();
    EXPECT_TRUE(exchangeState.ExchangeFailed);
    EXPECT_EQ(board->ReceivedReports().size(), 2u);
    EXPECT_EQ(view.log.find("Packet Sync: Retry count = 1BQTY "), 0u);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "HID Packet Sync Error Retry 2x");
    EXPECT_EQ(view.pollingStops, 0);
    // The buffer still holds the request; its count must not pass for a reply.
    EXPECT_EQ(exchangeState.ReplyCount, 0);
    EXPECT_FALSE(exchangeState.BridgeBusy);
  }
}

TEST_F(PacketExchangeTest, SilentBridgeCostsTwoAttemptsOfBoundedTime) {
  board->Faults().dropReplies = sim::kAlways;
  const auto start = clock.NowMs();
  exchange.cmdMCBSPI_Click();
  EXPECT_TRUE(exchangeState.ExchangeFailed);
  EXPECT_EQ(board->ReceivedReports().size(), 2u);
  // Each attempt: a flush that does not wait, the 2 ms wait and 51 catch-up reads of 1 ms.
  EXPECT_EQ(clock.NowMs() - start, 2 * (2 + 51));
}

TEST_F(PacketExchangeTest, NextExchangeAfterAFailureStartsClean) {
  board->Faults().wrongSequence = 2;
  exchange.cmdMCBSPI_Click();
  ASSERT_TRUE(exchangeState.ExchangeFailed);
  exchange.cmdMCBSPI_Click();
  EXPECT_FALSE(exchangeState.ExchangeFailed);
}

TEST_F(PacketExchangeTest, ScanInProgressSendsOneByteFewer) {
  SetFrame({0x00, 0x13, 0x48, 0x0C, 0x55});
  exchangeState.ScanInProgress = true;
  exchange.cmdMCBSPI_Click();
  EXPECT_EQ(LastSent()[3], 4);
  EXPECT_EQ(LastSent()[8], 0x55);
}

TEST_F(PacketExchangeTest, BusyExchangeIsRefusedWithoutEndingAnything) {
  exchangeState.BridgeBusy = true;
  exchange.cmdMCBSPI_Click();
  EXPECT_TRUE(exchangeState.ExchangeFailed);
  EXPECT_TRUE(board->ReceivedReports().empty());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "USB Still Busy from previous call, exit comm routine, Ending ");
  EXPECT_TRUE(exchangeState.BridgeBusy);
}

// A host whose event pump starts a second exchange, as a timer would.
class ReenteringHost : public ScriptedHost {
 public:
  void PumpEvents() override {
    ScriptedHost::PumpEvents();
    if (exchange != nullptr && state != nullptr && state->BridgeBusy && !reentered) {
      reentered = true;
      exchange->cmdMCBSPI_Click();
      refusedWhileBusy = state->ExchangeFailed;
      state->ExchangeFailed = false;
    }
  }
  PacketExchange* exchange = nullptr;
  ExchangeState* state = nullptr;
  bool reentered = false;
  bool refusedWhileBusy = false;
};

TEST_F(PacketExchangeTest, ExchangeStartedFromAnEventPumpIsRefused) {
  ReenteringHost reentering;
  PacketExchange guarded(bridge, exchangeState, reentering, clock, view);
  reentering.exchange = &guarded;
  reentering.state = &exchangeState;
  guarded.cmdMCBSPI_Click();
  EXPECT_TRUE(reentering.reentered);
  EXPECT_TRUE(reentering.refusedWhileBusy);
  EXPECT_FALSE(exchangeState.ExchangeFailed);
  EXPECT_EQ(board->ReceivedReports().size(), 1u);
}

// Pulls the board out once it has taken a packet, before its reply is read.
class UnplugAfterPacket final : public sim::ExchangeHook {
 public:
  void BeforeExchange(sim::SimulatedBoard&) override {}
  void AfterExchange(sim::SimulatedBoard& board) override { board.Unplug(); }
};

// The message names polling only when polling ran.
TEST_F(PacketExchangeTest, UnplugEndsTheExchangeAtOnceAndStopsPolling) {
  // Pulled out before the write, or between the write and the reply.
  for (const bool afterWrite : {false, true}) {
    board->Replug();
    bridge.OpenBridge();
    board->Firmware().Settings().setupBlock[sim::kSetupDaisyByte] = sim::kSetupDaisyBit;
    host.messages.clear();
    view.pollingStops = 0;
    view.pollingRunning = afterWrite;
    const std::size_t sent = board->ReceivedReports().size();
    if (afterWrite) {
      board->SetExchangeHook(std::make_shared<UnplugAfterPacket>());
    } else {
      board->Unplug();
    }
    const std::int64_t start = clock.NowMs();
    exchange.cmdMCBSPI_Click();
    board->SetExchangeHook(nullptr);

    EXPECT_TRUE(exchangeState.ExchangeFailed);
    EXPECT_LE(clock.NowMs() - start, 5);  // no catch-up reads, no second attempt
    EXPECT_EQ(board->ReceivedReports().size(), sent + (afterWrite ? 1 : 0));
    EXPECT_TRUE(bridge.LinkLost());
    EXPECT_EQ(bridge.LinkLostReason(), "simulated board unplugged");
    EXPECT_TRUE(view.log.empty()) << view.log;  // no retry line
    EXPECT_EQ(view.pollingStops, 1);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              afterWrite ? "USB Communications lost, Disconnect and Reconnect, Polling Terminated"
                         : "USB Communications lost, Disconnect and Reconnect");
  }
  board->Replug();
  bridge.OpenBridge();
  EXPECT_FALSE(bridge.LinkLost());
}

TEST_F(PacketExchangeTest, FrameTracesGoToTheHexLogTheTraceTextAndTheCommLog) {
  view.commLogging = true;
  const std::uint8_t frame[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  exchange.LogSentFrame(frame, 1);
  EXPECT_EQ(view.hexLog[1], "Sent: 00 01 02 03 04 05 06 07\r\n      08 09\r\n");
  EXPECT_EQ(exchangeState.TraceSent, "Sent: 00 01 02 03 04 05 06 07       08 09 ");
  ASSERT_EQ(view.commLog.size(), 1u);
  EXPECT_EQ(view.commLog[0], "Sent: 00 01 02 03 04 05 06 07      08 09");

  view.showActivityLogs = false;
  exchange.LogReceivedFrame(frame, 0);
  EXPECT_TRUE(view.hexLog[0].empty());
  EXPECT_EQ(exchangeState.TraceReceived.substr(0, 8), "Rcvd: 00");
}

}  // namespace
}  // namespace qvm::test
