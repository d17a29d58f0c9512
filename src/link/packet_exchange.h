// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/console_view.h"
#include "core/host.h"
#include "link/bridge.h"

namespace qvm {

// Bridge command codes in report byte 1.
enum BridgeCommandCode : std::uint8_t {
  kCmdFirmwareVersion = 0,
  kCmdI2cOptions = 4,
  kCmdI2cClock = 5,
  kCmdI2cTransfer = 6,
  kCmdSpiMode = 7,
  kCmdSpiClock = 8,
  kCmdSfrAccess = 0x12,
  kCmdSetupBlock = 20,
  kCmdSpiSingle = 21,
  kCmdSpiDaisy = 22,
  kCmdUprBuffer52400 = 23,
  kCmdUprBuffer52401 = 24,
};

// State of the SPI packet exchange, kept between exchanges.
struct ExchangeState {
  std::uint8_t BridgeCommand = kCmdSpiSingle;
  // Element 0 is the header byte, elements 1.. the bytes to clock out.
  std::vector<std::uint8_t> FrameBuffer;
  // Elements of FrameBuffer, header included; the packet announces this many data bytes.
  std::int32_t FrameByteCount = 0;
  std::uint8_t PacketSequence = 0;
  bool BridgeBusy = false;
  // While set, one byte fewer than FrameByteCount is sent.
  bool ScanInProgress = false;
  // Reply byte 3 of the last exchange.
  std::int32_t ReplyCount = 0;
  std::string TraceSent;
  std::string TraceReceived;
  // Set when the last exchange got no matching reply (or was refused while another ran).
  bool ExchangeFailed = false;
  // Attempts of the last exchange that got no matching reply (the first one is retried).
  int FailedAttempts = 0;
  // Of those, the attempts whose reply carried the request's sequence under another report id
  // than 1: a reply that came, but cannot be taken.
  int WrongReportIds = 0;
};

// One SPI packet to the bridge and its matching reply: rolling sequence numbers 1..7, a 2 ms
// wait after the write, up to 51 catch-up reads of about 1 ms, one logged retry.
class PacketExchange {
 public:
  static constexpr int kMaxDataBytes = 59;
  static constexpr int kCatchUpReads = 50;
  static constexpr std::uint8_t kReplyReportId = 1;

  PacketExchange(Bridge& bridge, ExchangeState& state, Host& host, Clock& clock, ConsoleView& view);

  // Sends FrameBuffer under BridgeCommand and leaves the reply in the bridge's ReportBuffer.
  void cmdMCBSPI_Click();

  void LogSentFrame(std::span<const std::uint8_t> bytes, int devType);
  void LogReceivedFrame(std::span<const std::uint8_t> bytes, int devType);

 private:
  void LogFrame(std::string_view label, std::span<const std::uint8_t> bytes, int devType,
                std::string& lastTrace);
  // One write and the wait for its reply; true when the reply's sequence matched.
  bool Attempt(std::span<const std::uint8_t> payload, ExchangeDisplay& display);
  // The reply with the request's sequence is taken when its report id is 1; any other id is
  // counted and the attempt fails as if no reply had come.
  bool TakeReply();

  Bridge& bridge_;
  ExchangeState& state_;
  Host& host_;
  Clock& clock_;
  ConsoleView& view_;
  // The trace text of the last frame logged; its storage serves every frame.
  std::string traceText_;
};

}  // namespace qvm
