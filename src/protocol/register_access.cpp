// SPDX-License-Identifier: MIT
#include "protocol/register_access.h"

#include <optional>

#include "core/hex.h"
#include "protocol/command_frame.h"
#include "protocol/polling_guard.h"
#include "protocol/procedure_trap.h"
#include "protocol/response_parser.h"
#include "protocol/traffic_line.h"

namespace qvm {

namespace {

constexpr const char* kRead = "ReadSingleReg";
constexpr const char* kWrite = "WriteSingleReg";

void ReportNotConnected(Session& session, const char* procedure) {
  const std::string& part = session.state.PartName52400;
  session.host.ShowMessage(session.bridge.MessageTitle, part + "EVB not connected!");
  session.LogLine(std::string(procedure) + ": " + part +
                  "EVB not detected. Please check connections.");
}

std::optional<int> LoggedDevice(const Session& session, const DeviceCommand& command) {
  if (!session.state.DaisyChainMode) return std::nullopt;
  return command.dev;
}

// Sends the command; on a failed exchange reports it, resumes polling and returns false.
bool Exchange(Session& session, DeviceCommand& command, const char* procedure) {
  if (SendCommandFrame(session, command)) return true;
  ReportPipeError(session, procedure, command.devType);
  ResumeUprPolling(session);
  return false;
}

}  // namespace

void ReadRegisterAs(Session& session, DeviceCommand& command, const char* procedure) {
  if (!session.bridge.EvbConnected) {
    ResumeUprPolling(session);
    ReportNotConnected(session, procedure);
    return;
  }
  PauseUprPolling(session);
  const std::string& name = session.state.PartName(command.devType);
  session.LogLine(TrafficLine{"cmd,", name, LoggedDevice(session, command), command.cat,
                              command.adr, command.dat, 2});
  if (!Exchange(session, command, procedure)) return;
  if (session.state.DaisyChainMode) {
    ParseDaisyChainResponse(session, command, "rcv,");
  } else {
    ParseNonDaisyChainResponse(session, command, "rcv,");
  }
  ResumeUprPolling(session);
}

void WriteRegisterAs(Session& session, DeviceCommand& command, const char* procedure) {
  if (!session.bridge.EvbConnected) {
    ReportNotConnected(session, procedure);
    return;
  }
  PauseUprPolling(session);
  command.cat |= 0x8;
  const std::string& name = session.state.PartName(command.devType);
  // Writability is the written device's own: the selected type may define the register
  // otherwise.
  if (session.model.RegKind(TypeIndex(command.devType), command.RegisterIndex()) !=
      kKindReadWrite) {
    ResumeUprPolling(session);
    session.LogLine(std::string(procedure) + ": " + name + ",cat" + Hex0x(command.cat, 2) + ",adr" +
                    Hex0x(command.adr, 2) + " write not supported");
    return;
  }
  session.LogLine(TrafficLine{"wrt,", name, LoggedDevice(session, command), command.cat,
                              command.adr, command.dat, 4});
  if (!Exchange(session, command, procedure)) return;
  if (session.state.DaisyChainMode) ParseDaisyChainResponse(session, command, "rcv,");
  ResumeUprPolling(session);
}

bool WriteAcknowledged(const Session& session, int dev) {
  const ReplyOutcome& reply = session.LastReply;
  if (!reply.exchanged) return false;
  if (!session.state.DaisyChainMode) return true;
  return reply.Clean() && (reply.answered & (1u << dev)) != 0;
}

void ReadSingleReg(Session& session, DeviceCommand& command) {
  RunTrapped(session, kRead, [&] { ReadRegisterAs(session, command, kRead); });
}

void WriteSingleReg(Session& session, DeviceCommand& command) {
  RunTrapped(session, kWrite, [&] { WriteRegisterAs(session, command, kWrite); });
}

}  // namespace qvm
