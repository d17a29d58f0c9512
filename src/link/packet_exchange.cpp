// SPDX-License-Identifier: MIT
#include "link/packet_exchange.h"

#include <algorithm>
#include <array>

#include "link/frame_trace.h"

namespace qvm {

PacketExchange::PacketExchange(Bridge& bridge, ExchangeState& state, Host& host, Clock& clock,
                               ConsoleView& view)
    : bridge_(bridge), state_(state), host_(host), clock_(clock), view_(view) {}

void PacketExchange::cmdMCBSPI_Click() {
  host_.PumpEventsIfDue();
  if (state_.BridgeBusy) {
    // Another exchange is still running (reached through event pumping): refuse this one
    // instead of ending the program.
    host_.ShowMessage(bridge_.MessageTitle,
                      "USB Still Busy from previous call, exit comm routine, Ending ");
    state_.ExchangeFailed = true;
    return;
  }
  // Taken now: a board that goes away during the exchange stops polling before the message.
  const bool polling = view_.PollingRunning();
  state_.PacketSequence =
      state_.PacketSequence >= 7 ? 1 : static_cast<std::uint8_t>(state_.PacketSequence + 1);
  state_.BridgeBusy = true;
  state_.ExchangeFailed = false;
  state_.FailedAttempts = 0;
  state_.WrongReportIds = 0;

  // The data bytes: the frame after the header, then the extra byte that the count announces
  // (a zero), less one byte during a scan.
  int count = state_.FrameByteCount - (state_.ScanInProgress ? 1 : 0);
  count = std::clamp(count, 0, kMaxDataBytes);
  std::array<std::uint8_t, kMaxDataBytes> data{};
  const std::span<const std::uint8_t> payload(data.data(), static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < payload.size() && i + 1 < state_.FrameBuffer.size(); ++i) {
    data[i] = state_.FrameBuffer[i + 1];
  }

  ExchangeDisplay display;
  display.bytesToWrite = state_.FrameByteCount;
  int retries = 0;
  bool matched = Attempt(payload, display);
  // A board that is gone gets no second attempt.
  if (!matched && !bridge_.LinkLost()) {
    retries = 1;
    state_.FailedAttempts = 1;
    view_.AppendLog("Packet Sync: Retry count = " + std::to_string(retries) + "BQTY " +
                    std::to_string(bridge_.ReportBuffer[3]) + "XID " +
                    std::to_string(state_.PacketSequence) + "RID " +
                    std::to_string(bridge_.ReportBuffer[2]) + "\r\n");
    matched = Attempt(payload, display);
  }
  if (!matched) {
    state_.FailedAttempts = retries + 1;
    state_.ExchangeFailed = true;
    // Only the link itself can tell that the board is gone; a reply that stayed away twice, or
    // came with sequence 0, is a failed exchange on a board still attached.
    if (!bridge_.LinkLost()) {
      host_.ShowMessage(bridge_.MessageTitle, "HID Packet Sync Error Retry 2x");
    } else {
      view_.StopPolling();
      host_.ShowMessage(bridge_.MessageTitle,
                        polling ? "USB Communications lost, Disconnect and Reconnect, Polling "
                                  "Terminated"
                                : "USB Communications lost, Disconnect and Reconnect");
    }
  }

  // A failed exchange leaves the request in the buffer: it must never read as a reply.
  state_.ReplyCount = matched ? bridge_.ReportBuffer[3] : 0;
  display.requestSequence = state_.PacketSequence;
  display.replySequence = bridge_.ReportBuffer[2];
  display.replyCount = bridge_.ReportBuffer[3];
  std::copy_n(bridge_.ReportBuffer.begin(), display.read.size(), display.read.begin());
  view_.ShowExchange(display);
  state_.BridgeBusy = false;
}

bool PacketExchange::Attempt(std::span<const std::uint8_t> payload, ExchangeDisplay& display) {
  Report& report = bridge_.ReportBuffer;
  bridge_.FlushInput();
  report[0] = 1;
  host_.PumpEventsIfDue();

  report[1] = state_.BridgeCommand;
  report[2] = state_.PacketSequence;
  report[3] = static_cast<std::uint8_t>(payload.size());
  report[4] = state_.FrameBuffer.empty() ? 0 : state_.FrameBuffer[0];
  std::copy(payload.begin(), payload.end(), report.begin() + 5);
  std::copy_n(report.begin(), display.written.size(), display.written.begin());

  // A stale reply can never match, nor can the request itself when the write fails.
  if (!bridge_.WriteReport()) {
    report[2] = 0;
    return false;
  }
  host_.WaitMs(clock_, 2);

  report[2] = 0;
  if (bridge_.ReadInto(0) == ReadResult::Error) return false;
  if (report[2] == state_.PacketSequence) return TakeReply();

  int reads = 0;
  while (report[2] != state_.PacketSequence && reads <= kCatchUpReads) {
    ++reads;
    if (bridge_.ReadInto(1) == ReadResult::Error) break;
  }
  display.catchUpReads = reads;
  return report[2] == state_.PacketSequence && TakeReply();
}

bool PacketExchange::TakeReply() {
  if (bridge_.ReportBuffer[0] == kReplyReportId) return true;
  ++state_.WrongReportIds;
  return false;
}

void PacketExchange::LogSentFrame(std::span<const std::uint8_t> bytes, int devType) {
  LogFrame("Sent:", bytes, devType, state_.TraceSent);
}

void PacketExchange::LogReceivedFrame(std::span<const std::uint8_t> bytes, int devType) {
  LogFrame("Rcvd:", bytes, devType, state_.TraceReceived);
}

void PacketExchange::LogFrame(std::string_view label, std::span<const std::uint8_t> bytes,
                              int devType, std::string& lastTrace) {
  WriteFrameTrace(traceText_, label, bytes);
  WriteReplacingLineBreaks(lastTrace, traceText_, " ");
  if (view_.ShowActivityLogs()) view_.AppendHexLog(devType != 0 ? 1 : 0, traceText_);
  if (view_.TraceActive()) view_.AppendTrace(traceText_);
  if (view_.CommLoggingActive()) view_.LogEvent(ReplaceLineBreaks(traceText_, ""));
}

}  // namespace qvm
