// SPDX-License-Identifier: MIT
#include "operations/command_fanout.h"

#include <optional>
#include <string>

#include "protocol/command_frame.h"
#include "protocol/polling_guard.h"
#include "protocol/procedure_trap.h"
#include "protocol/response_parser.h"
#include "protocol/traffic_line.h"

namespace qvm {

namespace {

constexpr std::uint8_t kBroadcastDevice = 15;

int DeviceCount(const Session& session, int type) {
  return type == 0 ? session.state.DeviceCount52400 : session.state.DeviceCount52401;
}

bool Defined(const Session& session, int type, const DeviceCommand& record) {
  return session.model.RegKind(type, record.RegisterIndex()) != kKindUndefined;
}

// Not connected or wrong mode: reports it and returns false.
bool Checked(Session& session, const char* routine, bool daisyRoutine) {
  if (!session.bridge.EvbConnected) {
    ReportEvbNotConnected(session, routine);
    return false;
  }
  if (session.state.DaisyChainMode == daisyRoutine) return true;
  const std::string name(routine);
  if (daisyRoutine) {
    session.host.ShowMessage(
        session.bridge.MessageTitle,
        "Programming error. " + name + "() should not be called when in non-daisychain mode!");
    session.LogLine(name + ": Was called when in non-daisychain mode. This should not happen.");
  } else {
    session.host.ShowMessage(
        session.bridge.MessageTitle,
        "Programming error. " + name + "() should not be called when in daisychain mode!");
    session.LogLine(name + ": Was called when in daisychain mode. This should not happen.");
  }
  return false;
}

// One logged transfer and its parse; false when the bridge did not answer.
bool Transfer(Session& session, DeviceCommand& record, const char* routine) {
  const bool daisy = session.state.DaisyChainMode;
  const std::optional<int> dev = daisy ? std::optional<int>(record.dev) : std::nullopt;
  session.LogLine(TrafficLine{"cmd,", session.state.PartName(record.devType), dev, record.cat,
                              record.adr, record.dat, 4});
  if (!SendCommandFrame(session, record)) {
    if (!ReportPipeError(session, routine, record.devType)) {
      session.LogLine(std::string(routine) + ": " + session.state.PartName(record.devType) +
                      " pipe communication error");
    }
    return false;
  }
  if (daisy) {
    ParseDaisyChainResponse(session, record, "rcv,");
  } else {
    ParseNonDaisyChainResponse(session, record, "rcv,");
  }
  return true;
}

// Sends `record` to each identified device (once, to the broadcast address, for a broadcast);
// false at the first transfer that fails.
bool SendToEachDevice(Session& session, DeviceCommand record, const char* routine, bool broadcast) {
  const StatusRefreshBatch batch(session);
  for (int type = 0; type < kDeviceTypes; ++type) {
    const int count = DeviceCount(session, type);
    if (count <= 0) continue;
    record.devType = static_cast<std::int16_t>(type);
    const int last = broadcast ? 1 : count;
    for (int d = 1; d <= last; ++d) {
      record.dev = broadcast ? kBroadcastDevice : static_cast<std::uint8_t>(d);
      if (!Defined(session, type, record)) continue;
      if (!Transfer(session, record, routine)) return false;
    }
  }
  return true;
}

bool DaisyFanOut(Session& session, DeviceCommand record, const char* routine, bool broadcast) {
  if (!Checked(session, routine, true)) return false;
  PauseUprPolling(session);
  const bool sent = SendToEachDevice(session, record, routine, broadcast);
  ResumeUprPolling(session);
  return sent;
}

bool SingleFanOut(Session& session, DeviceCommand record, const char* routine) {
  if (!Checked(session, routine, false)) return false;
  for (int type = 0; type < kDeviceTypes; ++type) {
    if (DeviceCount(session, type) <= 0) continue;
    record.devType = static_cast<std::int16_t>(type);
    if (!Defined(session, type, record)) continue;
    if (!Transfer(session, record, routine)) return false;
  }
  return true;
}

}  // namespace

void ReportEvbNotConnected(Session& session, const std::string& procedure) {
  session.host.ShowMessage(session.bridge.MessageTitle,
                           session.state.PartName52400 + " EVB not connected!");
  session.LogLine(procedure + ": EVB not detected. Please check connections.");
}

bool DaisyChainQuickCommand(Session& session, DeviceCommand record) {
  return DaisyFanOut(session, record, "DaisyChainQuickCommand", false);
}

bool DaisyChainBroadcastCommand(Session& session, DeviceCommand record) {
  return DaisyFanOut(session, record, "DaisyChainBroadcastCommand", true);
}

bool NonDaisyChainQuickCommand(Session& session, DeviceCommand record) {
  return SingleFanOut(session, record, "NonDaisyChainQuickCommand");
}

bool NonDaisyChainBroadcastCommand(Session& session, DeviceCommand record) {
  return SingleFanOut(session, record, "NonDaisyChainBroadcastCommand");
}

}  // namespace qvm
