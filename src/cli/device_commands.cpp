// SPDX-License-Identifier: MIT
#include "cli/device_commands.h"

#include <optional>
#include <ostream>
#include <string>

#include "cli/encode_command.h"
#include "core/hex.h"
#include "core/json_text.h"
#include "operations/identify_check.h"
#include "operations/raw_message.h"
#include "protocol/register_access.h"

namespace qvm::cli {

namespace {

// Connects for a register access: quietly unless asked, and only when a device answered.
bool ConnectForAccess(CliSession& cli, DeviceOptions options, const RegisterTarget& target,
                      std::ostream& err) {
  if (!cli.Connect(options)) return false;
  Session& session = cli.session();
  if (const auto shortfall = IdentifyShortfall(session, ExpectedChainOf(options, session.state))) {
    err << "qvmctl: " << *shortfall << '\n';
    return false;
  }
  session.state.SelectedDeviceType = static_cast<std::int16_t>(target.devType);
  session.state.SelectedDevice = static_cast<std::int16_t>(target.dev);
  return true;
}

// Why the last reply does not carry a new value, or nothing when it does.
std::optional<std::string> ReplyProblem(const Session& session, const RegisterTarget& target,
                                        bool needValue) {
  if (session.exchange.ExchangeFailed) return "the bridge did not answer";
  const ReplyOutcome& reply = session.LastReply;
  if (reply.crcError) return "the reply failed its CRC4 check";
  if (reply.nack) return "the device answered NACK";
  if (reply.unrecognized) return "the reply was too short or not recognised";
  if (reply.missing != 0 || (needValue && !reply.requestAnswered)) {
    return "device " + std::to_string(target.dev) + " did not answer";
  }
  return std::nullopt;
}

DeviceCommand CommandFor(const RegisterTarget& target) {
  DeviceCommand command;
  command.dev = static_cast<std::uint8_t>(target.dev);
  command.cat = static_cast<std::uint8_t>(target.page);
  command.adr = static_cast<std::uint8_t>(target.adr);
  command.devType = static_cast<std::int16_t>(target.devType);
  return command;
}

// The frame's fields as the raw message sender's hexadecimal fields hold them.
RawMessageFields FieldsOf(const RawFrame& frame) {
  return {HexDigits(frame.dev, 1), HexDigits(frame.cat, 1), HexDigits(frame.adr, 2),
          HexDigits(frame.dat, 4)};
}

}  // namespace

int RunIdentify(const DeviceOptions& options, std::ostream& out, std::ostream& err) {
  CliSession cli(out, err);
  DeviceOptions connect = options;
  connect.verbose = !options.json;
  connect.logIsResult = true;
  if (!cli.Connect(connect)) return 1;
  const Session& session = cli.session();
  const SharedState& state = session.state;
  if (options.json) {
    // A family without a companion names no type 1.
    out << "{" << JsonString(state.PartName(0)) << ":" << state.DeviceCount52400;
    if (!state.PartName(1).empty()) {
      out << "," << JsonString(state.PartName(1)) << ":" << state.DeviceCount52401;
    }
    out << "}\n";
  } else {
    out << '\n';
  }
  if (const auto shortfall = IdentifyShortfall(session, ExpectedChainOf(options, state))) {
    err << "qvmctl: identify: " << *shortfall << '\n';
    return 1;
  }
  return 0;
}

int RunRead(const DeviceOptions& options, const RegisterTarget& target, std::ostream& out,
            std::ostream& err) {
  CliSession cli(out, err);
  if (!ConnectForAccess(cli, options, target, err)) return 1;
  Session& session = cli.session();
  DeviceCommand command = CommandFor(target);
  ReadSingleReg(session, command);
  if (const auto problem = ReplyProblem(session, target, true)) {
    err << "qvmctl: read failed: " << *problem << '\n';
    return 1;
  }
  const auto value = static_cast<std::uint16_t>(session.LastReply.requestValue);
  if (options.json) {
    out << "{\"type\":" << target.devType << ",\"dev\":" << target.dev
        << ",\"page\":" << target.page << ",\"adr\":" << target.adr << ",\"value\":" << value
        << "}\n";
  } else {
    out << Hex0x(value, 4) << '\n';
  }
  return 0;
}

int RunWrite(const DeviceOptions& options, const RegisterTarget& target, std::uint32_t value,
             std::ostream& out, std::ostream& err) {
  CliSession cli(out, err);
  if (!ConnectForAccess(cli, options, target, err)) return 1;
  Session& session = cli.session();
  DeviceCommand command = CommandFor(target);
  command.dat = static_cast<std::int16_t>(value);
  if (session.model.RegKind(target.devType, command.RegisterIndex()) != kKindReadWrite) {
    err << "qvmctl: register page " << target.page << " address " << target.adr
        << " is not writable\n";
    return 1;
  }
  WriteSingleReg(session, command);
  if (const auto problem = ReplyProblem(session, target, false)) {
    err << "qvmctl: write failed: " << *problem << '\n';
    return 1;
  }
  return 0;
}

int RunSend(const DeviceOptions& options, const RawFrame& frame, std::ostream& out,
            std::ostream& err) {
  RegisterTarget target{frame.dev, frame.cat & 7, frame.adr, frame.devType};
  CliSession cli(out, err);
  if (!ConnectForAccess(cli, options, target, err)) return 1;
  Session& session = cli.session();
  const SharedState& state = session.state;
  const int type = static_cast<int>(frame.devType);
  if ((type == 0 ? state.DeviceCount52400 : state.DeviceCount52401) == 0) {
    err << "qvmctl: send: no " << (state.PartName(type).empty() ? "type 1" : state.PartName(type))
        << " device is present; nothing was sent\n";
    return 1;
  }
  const RawMessageFields fields = FieldsOf(frame);
  const RawMessage message = EncodeRawMessage(fields, state.DaisyChainMode);
  target.dev = message.command.dev;  // 0 outside a daisy chain
  const bool write = message.command.cat >= 8;
  if (write && session.model.RegKind(type, CommandFor(target).RegisterIndex()) != kKindReadWrite) {
    err << "qvmctl: send: register page " << target.page << " address " << target.adr
        << " is not writable; nothing was sent\n";
    return 1;
  }
  SendRawMessage(session, fields, type);
  if (const auto problem = ReplyProblem(session, target, !write)) {
    err << "qvmctl: send failed: " << *problem << '\n';
    return 1;
  }
  const auto value = static_cast<std::uint16_t>(session.LastReply.requestValue);
  if (options.json) {
    out << "{\"frame\":" << JsonString(FrameText(message.encoded))
        << ",\"write\":" << (write ? "true" : "false")
        << ",\"value\":" << (write ? "null" : std::to_string(value)) << "}\n";
  } else {
    out << "sent " << FrameText(message.encoded) << "\nreply " << (write ? "ACK" : Hex0x(value, 4))
        << '\n';
  }
  return 0;
}

}  // namespace qvm::cli
