// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "link/frame_trace.h"
#include "link/hidapi_bus.h"
#include "link_fixture.h"

namespace qvm::test {
namespace {

using BridgeTest = LinkFixture;

TEST_F(BridgeTest, OpensEveryBridgeBoardAndSelectsTheFirst) {
  auto second = AddBoard("sim:1");
  bridge.OpenBridge();
  ASSERT_TRUE(bridge.EvbConnected);
  EXPECT_EQ(bridge.BoardCount(), 2);
  EXPECT_EQ(bridge.SelectedBoard(), 0);
  EXPECT_EQ(view.boardLists.back(), 2);

  bridge.FillReport(0);
  bridge.SetReportId();
  bridge.ReportBuffer[1] = kCmdFirmwareVersion;
  ASSERT_TRUE(bridge.WriteReport());
  EXPECT_EQ(board->ReceivedReports().size(), 1u);

  bridge.SelectBoard(1);
  ASSERT_TRUE(bridge.WriteReport());
  EXPECT_EQ(second->ReceivedReports().size(), 1u);
  EXPECT_EQ(board->ReceivedReports().size(), 1u);
}

TEST_F(BridgeTest, SkipsDevicesOfAnotherVendor) {
  auto foreign = AddBoard("sim:foreign", 0x1234);
  bridge.OpenBridge();
  EXPECT_EQ(bridge.BoardCount(), 1);
  bridge.SetReportId();
  ASSERT_TRUE(bridge.WriteReport());
  EXPECT_TRUE(foreign->ReceivedReports().empty());
}

TEST_F(BridgeTest, VendorIdChoosesTheBoardsAndDeniedBoardsAreReported) {
  auto foreign = AddBoard("sim:foreign", 0x1234);
  auto denied = AddBoard("/dev/hidraw7");
  denied->SetOpenDenied(true);
  bridge.OpenBridge();
  EXPECT_EQ(bridge.BoardCount(), 1);
  ASSERT_EQ(bridge.OpenFailures().size(), 1u);
  EXPECT_EQ(bridge.OpenFailures()[0].path, "/dev/hidraw7");
  EXPECT_EQ(bridge.OpenFailures()[0].reason, "Permission denied");
  EXPECT_TRUE(host.retryPrompts.empty());

  bridge.VendorId = 0x1234;
  bridge.OpenBridge();
  EXPECT_EQ(bridge.BoardCount(), 1);
  bridge.FillReport(0);
  bridge.SetReportId();
  ASSERT_TRUE(bridge.WriteReport());
  EXPECT_EQ(foreign->ReceivedReports().size(), 1u);

  // Only a board that cannot be opened: the prompt names it, the reason and the udev rule.
  board->Unplug();
  bridge.VendorId = kBridgeVendorId;
  bridge.OpenBridge();
  EXPECT_FALSE(bridge.EvbConnected);
  ASSERT_EQ(host.retryPrompts.size(), 1u);
  EXPECT_EQ(host.retryPrompts[0].text,
            "The bridge board /dev/hidraw7 is attached but cannot be opened: Permission denied\r\n"
            "Install the udev rule 70-qvm-bridge.rules so that the logged-in user may open it (see "
            "\"Using a real board\" in the README), then unplug and plug in the board again.");
}

TEST(HidapiBusTest, OpenFailureKeepsTheSystemsReason) {
  HidapiBus bus;
  EXPECT_FALSE(bus.Open("/nonexistent/hidraw99"));
  EXPECT_NE(bus.OpenError().find("No such file or directory"), std::string::npos)
      << bus.OpenError();
}

TEST_F(BridgeTest, ReconnectClosesTheOldHandlesFirst) {
  bridge.OpenBridge();
  bridge.OpenBridge();
  EXPECT_EQ(bridge.BoardCount(), 1);
  EXPECT_TRUE(host.retryPrompts.empty());
}

// Plugs the board back in when the user is asked to retry.
class ReplugHost : public ScriptedHost {
 public:
  explicit ReplugHost(sim::SimulatedBoard& board) : board_(board) {}
  bool AskRetryCancel(const std::string& title, const std::string& text) override {
    board_.Replug();
    return ScriptedHost::AskRetryCancel(title, text);
  }

 private:
  sim::SimulatedBoard& board_;
};

TEST_F(BridgeTest, NoBoardPromptsAndRetryFindsTheBoardPluggedInMeanwhile) {
  board->Unplug();
  ReplugHost replugHost(*board);
  replugHost.retryAnswers = {true};
  Bridge replugBridge(bus, replugHost, clock, view);
  replugBridge.MessageTitle = "Bench";
  replugBridge.OpenBridge();

  ASSERT_EQ(replugHost.retryPrompts.size(), 1u);
  EXPECT_EQ(replugHost.retryPrompts[0].title, "Bench");
  EXPECT_EQ(replugHost.retryPrompts[0].text,
            "Please check USB connection.\r\nVelquist HID USB (PID 2035)  BMS  Evaluation Board "
            "not found.");
  EXPECT_TRUE(replugBridge.EvbConnected);
  EXPECT_EQ(replugBridge.BoardCount(), 1);
}

TEST_F(BridgeTest, NoBoardAndCancelUnloadsTheBenchWindow) {
  board->Unplug();
  bridge.OpenBridge();
  EXPECT_FALSE(bridge.EvbConnected);
  EXPECT_EQ(bridge.BoardCount(), 0);
  EXPECT_EQ(view.benchUnloads, 1);
  EXPECT_FALSE(bridge.WriteReport());
}

TEST_F(BridgeTest, ReadReportTimesOutAfterSixSecondsAndKeepsTheBuffer) {
  bridge.OpenBridge();
  bridge.ReportBuffer.fill(0xAB);
  const auto start = clock.NowMs();
  EXPECT_EQ(bridge.ReadReport(), kTransferReadTimeout);
  EXPECT_EQ(clock.NowMs() - start, 6000);
  EXPECT_EQ(bridge.ReportBuffer[5], 0xAB);
}

TEST_F(BridgeTest, ReadReportSeesTheBridgeErrorByte) {
  bridge.OpenBridge();
  bridge.FillReport(0);
  bridge.SetReportId();
  bridge.ReportBuffer[1] = 0x55;  // no such bridge command
  ASSERT_TRUE(bridge.WriteReport());
  EXPECT_EQ(bridge.ReadReport(), kTransferDeviceError);

  bridge.FillReport(0);
  bridge.SetReportId();
  bridge.ReportBuffer[1] = kCmdFirmwareVersion;
  ASSERT_TRUE(bridge.WriteReport());
  EXPECT_EQ(bridge.ReadReport(), kTransferSuccess);
}

TEST_F(BridgeTest, FlushInputOnAnIdleBoardDoesNotWait) {
  bridge.OpenBridge();
  const auto start = clock.NowMs();
  bridge.FlushInput();
  EXPECT_EQ(clock.NowMs() - start, 0);
}

TEST_F(BridgeTest, FlushInputDrainsQueuedReportsWithoutWaiting) {
  bridge.OpenBridge();
  for (int i = 0; i < 3; ++i) {
    bridge.FillReport(0);
    bridge.SetReportId();
    ASSERT_TRUE(bridge.WriteReport());
  }
  const auto start = clock.NowMs();
  bridge.FlushInput();
  EXPECT_EQ(board->PendingReplies(), 0u);
  EXPECT_EQ(clock.NowMs() - start, 0);
}

TEST_F(BridgeTest, FillReportTracesOnlyWhenDetailed) {
  bridge.OpenBridge();
  view.traceActive = true;
  bridge.FillReport(7);
  EXPECT_EQ(view.trace.find("Clear USB"), std::string::npos);
  view.traceDetailed = true;
  bridge.FillReport(7);
  EXPECT_NE(view.trace.find("Clear USB Buffer Memory: 63\r\n"), std::string::npos);
  EXPECT_EQ(bridge.ReportBuffer[63], 7);
}

TEST_F(BridgeTest, I2cWriteThenReadRoundTripsThroughTheEeprom) {
  bridge.OpenBridge();
  const std::uint8_t address[] = {0x10};
  const std::uint8_t data[] = {0xDE, 0xAD, 0xBE, 0xEF};
  ASSERT_EQ(bridge.I2cWrite(0xA0, address, data), kTransferSuccess);
  std::vector<std::uint8_t> read;
  ASSERT_EQ(bridge.I2cRead(0xA0, 4, address, read), kTransferSuccess);
  EXPECT_EQ(read, std::vector<std::uint8_t>(std::begin(data), std::end(data)));
  EXPECT_TRUE(host.retryPrompts.empty());

  const Report& sent = board->ReceivedReports().back();
  EXPECT_EQ(sent[1], kCmdI2cTransfer);
  EXPECT_EQ(sent[2], 0xA1);
  EXPECT_EQ(sent[3], 4);
  EXPECT_EQ(sent[4], 1);
  EXPECT_EQ(sent[5], 0x10);
}

TEST_F(BridgeTest, I2cToAnAbsentSlaveReportsTheInvalidAddress) {
  bridge.OpenBridge();
  std::vector<std::uint8_t> read;
  const std::uint8_t address[] = {0};
  EXPECT_EQ(bridge.I2cRead(0x42, 1, address, read, false), kTransferDeviceError);
  ASSERT_EQ(host.retryPrompts.size(), 1u);
  EXPECT_EQ(host.retryPrompts[0].text,
            "Invalid I2C address. Press Retry to return to GUI and enter valid address or Cancel "
            "to close GUI.");
  EXPECT_EQ(view.benchUnloads, 1);
}

TEST_F(BridgeTest, I2cOnAnUnpluggedBoardPromptsOnceAndStopsOnCancel) {
  bridge.OpenBridge();
  board->Unplug();
  const std::uint8_t address[] = {0};
  const std::uint8_t data[] = {1};
  EXPECT_EQ(bridge.I2cWrite(0xA0, address, data), kTransferWriteFailed);
  ASSERT_EQ(host.retryPrompts.size(), 1u);
  EXPECT_EQ(host.retryPrompts[0].text, "Please check USB connection.WriteFile error.");
  EXPECT_EQ(view.attachmentLost, 1);
}

TEST_F(BridgeTest, I2cRetryReopensTheLinkAndRepeatsTheTransfer) {
  bridge.OpenBridge();
  board->Faults().dropReplies = 1;
  host.retryAnswers = {true};
  const std::uint8_t address[] = {0};
  std::vector<std::uint8_t> read;
  EXPECT_EQ(bridge.I2cRead(0xA0, 2, address, read), kTransferSuccess);
  ASSERT_EQ(host.retryPrompts.size(), 1u);
  EXPECT_EQ(host.retryPrompts[0].text, "Please check USB connection.ReadFile error.");
  EXPECT_EQ(read.size(), 2u);
}

TEST_F(BridgeTest, CheckStatusPromptsOnlyOnFailure) {
  bridge.OpenBridge();
  EXPECT_EQ(bridge.checkStatus(true), kTransferSuccess);
  EXPECT_TRUE(host.retryPrompts.empty());
  EXPECT_EQ(bridge.checkStatus(false), 0);
  ASSERT_EQ(host.retryPrompts.size(), 1u);
  EXPECT_EQ(host.retryPrompts[0].text, "Please check USB connection.\r\ncheckStatus");
}

TEST_F(BridgeTest, DelaySecondsWaitsOnTheClockAndKeepsEventsFlowing) {
  const auto start = clock.NowMs();
  bridge.DelaySeconds(0.5f);
  EXPECT_GE(clock.NowMs() - start, 500);
  EXPECT_LT(clock.NowMs() - start, 505);
  EXPECT_GE(host.pumps, 100);
}

TEST(HexTextTest, FrameTraceBreaksAfterEveryEighthByte) {
  const std::uint8_t bytes[] = {0, 1, 2, 3, 4, 5, 6, 7, 0xA8, 0xF9};
  EXPECT_EQ(FrameTraceText("Sent:", bytes), "Sent: 00 01 02 03 04 05 06 07\r\n      A8 F9\r\n");
  const std::uint8_t eight[] = {0, 1, 2, 3, 4, 5, 6, 7};
  EXPECT_EQ(FrameTraceText("Rcvd:", eight), "Rcvd: 00 01 02 03 04 05 06 07\r\n");
}

}  // namespace
}  // namespace qvm::test
