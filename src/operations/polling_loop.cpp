// SPDX-License-Identifier: MIT
#include "operations/polling_loop.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "model/leading_number.h"
#include "operations/bulk_reads.h"
#include "protocol/acquisition.h"

namespace qvm {

namespace {

// A polled action: its selection flag, what it runs and whether the tick charts its values.
struct PolledAction {
  bool SharedState::*selected;
  std::function<void(Session&, const PollingView&)> run;
  bool charted = false;
};

// In the order a tick runs them: the scans first, then the reads of their results.
const std::array<PolledAction, 9>& PolledActions() {
  static const std::array<PolledAction, 9> actions = {{
      {&SharedState::PollScanAll,
       [](Session& s, const PollingView&) { RunPanelCommand(s, kScanAllAll); }},
      {&SharedState::PollScanMixed,
       [](Session& s, const PollingView&) { RunPanelCommand(s, kScanAllMixed); }},
      {&SharedState::PollScanVolts,
       [](Session& s, const PollingView&) { RunPanelCommand(s, kScanAllVolts); }},
      {&SharedState::PollScanTemps,
       [](Session& s, const PollingView&) { RunPanelCommand(s, kScanAllTemps); }},
      {&SharedState::PollScanWires,
       [](Session& s, const PollingView&) { RunPanelCommand(s, kScanAllWires); }},
      {&SharedState::PollReadVolts, [](Session& s, const PollingView&) { ReadAllVolts(s); }, true},
      {&SharedState::PollReadTemps, [](Session& s, const PollingView&) { ReadAllTemps(s); }},
      {&SharedState::PollReadFaults, [](Session& s, const PollingView&) { ReadAllFaults(s); }},
      {&SharedState::PollReadSetups, [](Session& s, const PollingView&) { ReadAllSetups(s); }},
  }};
  return actions;
}

void SetLed(const PollingView& paint, Colour colour) {
  if (paint.setPollingLed) paint.setPollingLed(colour);
}

void ClearLogs(const PollingView& paint) {
  if (paint.clearLogs) paint.clearLogs();
}

// Raised for the length of a tick.
class TickGuard {
 public:
  explicit TickGuard(bool& running) : running_(running) { running_ = true; }
  ~TickGuard() { running_ = false; }
  TickGuard(const TickGuard&) = delete;
  TickGuard& operator=(const TickGuard&) = delete;

 private:
  bool& running_;
};

}  // namespace

bool AnyPolledActionSelected(const SharedState& state) {
  return std::any_of(PolledActions().begin(), PolledActions().end(),
                     [&](const PolledAction& action) { return state.*action.selected; });
}

std::optional<int> PollingIntervalMs(std::string_view text) {
  const std::optional<std::int16_t> value = RoundToInt16(LeadingNumber(text));
  if (!value) return std::nullopt;
  return std::clamp<int>(*value, kMinPollingIntervalMs, kMaxPollingIntervalMs);
}

void RunAutoStartSequence(Session& session, const PollingView& paint) {
  RunPanelCommand(session, kScanAllInhibit);
  ClearAllFaults(session, paint.clearFaults);
  ReadUPRBuffers(session, 0, paint.upr);
  ReadUPRBuffers(session, 1, paint.upr);
  RunPanelCommand(session, kScanAllContinuous);
}

void StartPolling(Session& session, bool uprSelected, bool autoStart, const PollingView& paint) {
  if (AnyPolledActionSelected(session.state)) ClearLogs(paint);
  session.state.UprPollingActive = uprSelected;
  if (autoStart) RunAutoStartSequence(session, paint);
  session.polling.SetEnabled(true);
}

void PollingTick(Session& session, const PollingView& paint) {
  SharedState& state = session.state;
  if (state.PollingTickRunning) return;
  const TickGuard guard(state.PollingTickRunning);
  Acquisition tick(session);
  bool charted = false;
  SetLed(paint, Colour::Yellow);
  session.host.PumpEvents();
  if (session.polling.PollingTicked() && state.UprPollingActive && state.DaisyChainMode) {
    if (state.DeviceCount52400 > 0) ReadUPRBuffers(session, 0, paint.upr);
    if (state.DeviceCount52401 > 0) ReadUPRBuffers(session, 1, paint.upr);
  }
  const bool ticked = session.polling.PollingTicked();
  if (ticked) {
    if (AnyPolledActionSelected(state)) ClearLogs(paint);
    for (const PolledAction& action : PolledActions()) {
      if (!(state.*action.selected) || !session.polling.Enabled()) continue;
      action.run(session, paint);
      charted = charted || (action.charted && session.bridge.EvbConnected);
    }
  }
  tick.Close();
  if (charted && paint.addToCharts && !session.bridge.LinkLost()) {
    paint.addToCharts(tick.Errors().flags);
  }
  if (ticked && paint.tickRead && !session.bridge.LinkLost()) paint.tickRead(tick);
  SetLed(paint, Colour::Grey);
  session.host.PumpEvents();
}

}  // namespace qvm
