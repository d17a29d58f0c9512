// SPDX-License-Identifier: MIT
#include "protocol/command_frame.h"

#include <algorithm>
#include <span>

#include "protocol/exchange_target.h"

namespace qvm {

namespace {

constexpr std::size_t kFirstReplyByte = 5;
// Reply bytes 7 and 8 carry a single device's 16-bit answer.
constexpr std::size_t kSingleValueByte = 7;

Led ComLed(int type) {
  return type != 0 ? Led::Com52401 : Led::Com52400;
}

void BuildSingleDevicePacket(Session& session, DeviceCommand& command, int type, bool readable) {
  EncodeNonDaisyFrame(command.cat, command.adr, command.dat, command.frame);
  // Two zero bytes clock the 16-bit answer out of a readable register.
  const std::size_t n = command.frame.size() + (readable ? 2 : 0);
  std::vector<std::uint8_t>& buffer = session.exchange.FrameBuffer;
  buffer.assign(n + 1, 0);
  buffer[0] = type != 0 ? kHeaderCompanion : 0x00;
  std::copy(command.frame.begin(), command.frame.end(), buffer.begin() + 1);
}

void BuildUprBufferPacket(Session& session, DeviceCommand& command, int type) {
  ExchangeState& exchange = session.exchange;
  exchange.BridgeCommand = type != 0 ? kCmdUprBuffer52401 : kCmdUprBuffer52400;
  exchange.FrameBuffer = {type != 0 ? kHeaderUpr52401 : kHeaderUpr52400};
  command.frame = {0};
}

void BuildDaisyPacket(Session& session, DeviceCommand& command, int type) {
  ExchangeState& exchange = session.exchange;
  exchange.BridgeCommand = kCmdSpiDaisy;
  EncodeDaisyFrame(command.dev, command.cat, command.adr, command.dat, command.frame);
  std::uint8_t header = type != 0 ? kHeaderCompanion : 0x00;
  if (command.frame.size() == 4) header |= kHeaderWrite;
  exchange.FrameBuffer.assign(command.frame.size() + 1, 0);
  exchange.FrameBuffer[0] = header;
  std::copy(command.frame.begin(), command.frame.end(), exchange.FrameBuffer.begin() + 1);
}

// The reply bytes from byte 5 on that the reply count covers, cut at the end of the report.
std::span<const std::uint8_t> ClockedInBytes(const Report& reply, int replyCount) {
  const std::size_t wanted = replyCount > 1 ? static_cast<std::size_t>(replyCount - 1) : 0;
  const std::size_t count = std::min(wanted, reply.size() - kFirstReplyByte);
  return std::span<const std::uint8_t>(reply).subspan(kFirstReplyByte, count);
}

}  // namespace

bool IsUprBufferRead(const DeviceCommand& command) {
  return command.dev == 0 && command.cat == 0 && command.adr == 0 && command.dat == 0;
}

bool SendCommandFrame(Session& session, DeviceCommand& command) {
  session.LastReply = {};
  if (!session.bridge.EvbConnected) return false;
  session.target = TargetOf(session, command);
  ++session.exchangeNumber;
  const int type = TypeIndex(command.devType);
  session.view.SetLed(ComLed(type), Colour::Green);
  const bool daisy = session.state.DaisyChainMode;
  const bool readable = IsReadableKind(session.model.RegKind(type, command.RegisterIndex()));

  if (!daisy) {
    BuildSingleDevicePacket(session, command, type, readable);
  } else if (IsUprBufferRead(command)) {
    BuildUprBufferPacket(session, command, type);
  } else {
    BuildDaisyPacket(session, command, type);
  }
  ExchangeState& exchange = session.exchange;
  exchange.FrameByteCount = static_cast<std::int32_t>(exchange.FrameBuffer.size());
  session.view.ShowBenchFrame(command.frame, exchange.FrameByteCount);
  if (command.frame.size() >= 2) session.packets.LogSentFrame(command.frame, type);

  session.packets.cmdMCBSPI_Click();
  if (exchange.ExchangeFailed) {
    // Replies that came under another report id were there, but could not be taken.
    if (exchange.WrongReportIds > 0) {
      session.LastReply.unrecognized = true;
      session.faults.RecordUnrecognizedResponse();
    }
    SettleExchange(session);
    return false;
  }
  session.LastReply.exchanged = true;
  // A reply lost on the way, or passed over for another report id, is a communication error
  // even when the retry brought it; the exchange itself went through.
  if (exchange.FailedAttempts > 0) {
    session.faults.RecordPipeComError();
    session.faultTap.CountRecovered();
  }

  const Report& reply = session.bridge.ReportBuffer;
  const int replyCount = exchange.ReplyCount;
  if (!daisy && replyCount >= 5) {
    session.packets.LogReceivedFrame(
        std::span<const std::uint8_t>(reply).subspan(kSingleValueByte, 2), type);
  } else if (daisy && replyCount >= 2) {
    session.packets.LogReceivedFrame(ClockedInBytes(reply, replyCount), type);
  }

  if (!daisy && readable) {
    if (replyCount < 5) {
      command.dat = 0;
      session.LastReply.unrecognized = true;
      session.faults.RecordUnrecognizedResponse();
      session.view.SetLed(ComLed(type), Colour::Red);
    } else {
      command.dat = static_cast<std::int16_t>((reply[kSingleValueByte] & 0x3F) * 256 +
                                              reply[kSingleValueByte + 1]);
    }
  }
  return true;
}

}  // namespace qvm
