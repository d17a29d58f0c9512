// SPDX-License-Identifier: MIT
#include "operations/panel_commands.h"

#include <algorithm>
#include <array>
#include <span>

#include "operations/command_fanout.h"
#include "protocol/polling_guard.h"
#include "protocol/register_access.h"

namespace qvm {

namespace {

constexpr std::uint8_t kFaultPage = 2;
constexpr std::array<std::uint8_t, 5> kFaults52400 = {0x00, 0x01, 0x02, 0x06, 0x04};
constexpr std::array<std::uint8_t, 3> kFaults52401 = {0x00, 0x01, 0x04};

// Clears the scan flag on every way out of the routine.
class ScanFlag {
 public:
  ScanFlag(Session& session, bool raise) : session_(session), raised_(raise) {
    if (raised_) session_.exchange.ScanInProgress = true;
  }
  ~ScanFlag() {
    if (raised_) session_.exchange.ScanInProgress = false;
  }
  ScanFlag(const ScanFlag&) = delete;
  ScanFlag& operator=(const ScanFlag&) = delete;

 private:
  Session& session_;
  bool raised_;
};

void ClearType(Session& session, int type, int count, std::span<const std::uint8_t> addresses) {
  for (const std::uint8_t address : addresses) {
    for (int d = 1; d <= count; ++d) {
      DeviceCommand command;
      command.dev = static_cast<std::uint8_t>(d);
      command.cat = kFaultPage;
      command.adr = address;
      command.devType = static_cast<std::int16_t>(type);
      WriteSingleReg(session, command);
      // A register the device does not let us write, or a write that did not reach it, keeps
      // the value it holds.
      const int reg = kFaultPage * 64 + address;
      if (session.model.RegKind(type, reg) == kKindReadWrite && WriteAcknowledged(session, d)) {
        session.image.StoreWritten(type, d, reg, 0);
      }
    }
  }
}

}  // namespace

bool RunPanelCommand(Session& session, const PanelCommand& command) {
  if (!session.bridge.EvbConnected) {
    session.LogLine(std::string(command.procedure) +
                    ": EVB not detected. Please check connections.");
    return false;
  }
  DeviceCommand record;
  record.cat = command.cat;
  record.adr = command.adr;
  record.dat = command.dat;
  const ScanFlag flag(session, command.scan);
  if (session.state.DaisyChainMode) {
    return command.broadcast ? DaisyChainBroadcastCommand(session, record)
                             : DaisyChainQuickCommand(session, record);
  }
  return command.broadcast ? NonDaisyChainBroadcastCommand(session, record)
                           : NonDaisyChainQuickCommand(session, record);
}

void ClearAllFaults(Session& session, const ClearFaultsView& paint) {
  if (!session.bridge.EvbConnected) {
    ReportEvbNotConnected(session, "cbClearAllFaults_Click");
    return;
  }
  session.view.SetLed(Led::Fault52400, Colour::Grey);
  session.view.SetLed(Led::Fault52401, Colour::Grey);
  if (paint.greyUprStatus) paint.greyUprStatus();
  PauseUprPolling(session);
  const int count52400 = std::min<int>(session.state.DeviceCount52400, kDevicesPerType - 1);
  const int count52401 = std::min<int>(session.state.DeviceCount52401, kDevicesPerType - 1);
  ClearType(session, 0, count52400, kFaults52400);
  ClearType(session, 1, count52401, kFaults52401);
  if (paint.redrawRegisterPage) paint.redrawRegisterPage();
  ResumeUprPolling(session);
}

}  // namespace qvm
