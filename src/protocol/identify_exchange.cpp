// SPDX-License-Identifier: MIT
#include "protocol/identify_exchange.h"

#include <span>

#include "protocol/command_frame.h"
#include "protocol/procedure_trap.h"
#include "protocol/response_parser.h"

namespace qvm {

namespace {
// The reply's first response frame: reply bytes 5..8, complete when the reply count is 5.
constexpr std::size_t kFirstFrameByte = 5;
constexpr std::size_t kFrameBytes = 4;
constexpr int kWholeFrameCount = 5;
}  // namespace

IdentifyExchange::IdentifyExchange(Session& session, int devType, std::string procedure)
    : session_(session),
      type_(devType),
      name_(session.state.PartName(devType)),
      procedure_(std::move(procedure)) {}

std::optional<DeviceCommand> IdentifyExchange::Send(DeviceCommand command, int answerer) {
  command.devType = static_cast<std::int16_t>(type_);
  if (!SendCommandFrame(session_, command)) {
    failed_ = true;
    if (session_.bridge.EvbConnected) ReportPipeError(session_, procedure_, type_);
    return std::nullopt;
  }
  ReplyOutcome& outcome = session_.LastReply;
  if (session_.exchange.ReplyCount < kWholeFrameCount) {
    if (answerer > 0) {
      const std::string device = name_ + " device " + std::to_string(answerer);
      Log(device + " no acknowledge");
      outcome.missing = static_cast<std::uint16_t>(1u << (answerer & 15));
      session_.faults.RecordNoAcknowledge(device);
    }
    return std::nullopt;
  }
  DeviceCommand frame;
  const bool crcGood =
      DecodeDaisyResponse(frame, std::span<const std::uint8_t>(session_.bridge.ReportBuffer)
                                     .subspan(kFirstFrameByte, kFrameBytes));
  if (!crcGood) {
    Log(name_ + " CRC4 checksum error");
    outcome.crcError = true;
    session_.faults.RecordCrc4Error();
    return std::nullopt;
  }
  if (frame.RegisterIndex() == kRegNak) {
    Log(name_ + " NACK response");
    outcome.nack = true;
    session_.faults.RecordNackResponse(session_.exchange.TraceSent,
                                       session_.exchange.TraceReceived);
    return std::nullopt;
  }
  return frame;
}

void IdentifyExchange::RecordUnrecognized() {
  Log(name_ + " unrecognized response");
  session_.LastReply.unrecognized = true;
  session_.faults.RecordUnrecognizedResponse();
}

void IdentifyExchange::Log(const std::string& text) {
  session_.LogLine(procedure_ + ": " + text);
}

}  // namespace qvm
