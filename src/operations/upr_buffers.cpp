// SPDX-License-Identifier: MIT
#include "operations/upr_buffers.h"

#include "core/hex.h"
#include "operations/bulk_reads.h"
#include "operations/command_fanout.h"
#include "protocol/command_frame.h"
#include "protocol/procedure_trap.h"

namespace qvm {

namespace {

constexpr const char* kProcedure = "ReadUPRBuffers";
constexpr std::uint8_t kStatusHealthy = 0x88;
constexpr std::size_t kStatusByte = 5;

}  // namespace

bool ReadUPRBuffers(Session& session, int part, const UprStatusView& paint) {
  if (!session.bridge.EvbConnected) {
    ReportEvbNotConnected(session, kProcedure);
    return false;
  }
  if (!session.state.DaisyChainMode) {
    session.host.ShowMessage(
        session.bridge.MessageTitle,
        "Programming error. ReadUPRBuffers() should not be called when in non-daisychain mode!");
    session.LogLine(std::string(kProcedure) +
                    ": Was called when in non-daisychain mode. This should not happen.");
    return false;
  }
  const int type = (part == 1 || part == 3) ? 1 : 0;
  DeviceCommand command;
  command.devType = static_cast<std::int16_t>(type);
  session.exchange.BridgeCommand = type == 0 ? kCmdUprBuffer52400 : kCmdUprBuffer52401;
  if (!SendCommandFrame(session, command)) {
    ReportPipeError(session, kProcedure, type);
    return false;
  }
  if (part != 0 && part != 1) return true;
  const std::uint8_t status = session.bridge.ReportBuffer[kStatusByte];
  if (status == kStatusHealthy) {
    if (paint.blink) paint.blink();
    return true;
  }
  session.state.BadUprStatus = status;
  session.state.BadUprStatusType = type;
  session.LogLine(std::string(kProcedure) + ": " + session.state.PartName(type) +
                  " UPR buffer status " + Hex0x(status, 2) + ", " + Hex0x(kStatusHealthy, 2) +
                  " expected: polling stopped");
  if (paint.showFault) paint.showFault();
  session.polling.UntickPolling();
  session.polling.SetEnabled(false);
  session.host.PumpEvents();
  if (paint.selectStatusTab) paint.selectStatusTab();
  ReadAllFaults(session);
  ReadAllVolts(session, paint.addToCharts);
  return false;
}

}  // namespace qvm
