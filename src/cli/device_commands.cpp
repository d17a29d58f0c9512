#include "cli/device_commands.h"

#include <optional>
#include <ostream>
#include <string>

#include "cli/json_output.h"
#include "core/hex.h"
#include "operations/identify_check.h"
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

}  // namespace qvm::cli
