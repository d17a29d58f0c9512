// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "core/console_view.h"
#include "operations/bulk_reads.h"
#include "operations/panel_commands.h"
#include "operations/upr_buffers.h"
#include "protocol/acquisition.h"
#include "protocol/session.h"

namespace qvm {

// True when any of the nine polled actions (the scans and read-alls) is selected.
bool AnyPolledActionSelected(const SharedState& state);

// What polling paints beyond the log and the register image.
struct PollingView {
  std::function<void(Colour)> setPollingLed;
  // Empties the activity log and both hex logs.
  std::function<void()> clearLogs;
  UprStatusView upr;
  ClearFaultsView clearFaults;
  // Takes the values of a tick that ran "Read Volts" into the charts, once the tick is over,
  // with the communication errors of the whole tick.
  ChartSampleSink addToCharts;
  // Takes what a tick that ran read, and the errors its exchanges met, once it is over (after
  // the charts); not for a tick that lost the board.
  std::function<void(const Acquisition&)> tickRead;
};

// The polling interval typed as `text`: its leading number rounded and clamped to 50..5000 ms.
// Nothing when the number is beyond the 16-bit range.
std::optional<int> PollingIntervalMs(std::string_view text);

// The polling intervals the console takes, in milliseconds.
inline constexpr int kMinPollingIntervalMs = 50;
inline constexpr int kMaxPollingIntervalMs = 5000;

// "Scan Inhibit", "Clear All Faults", both UPR buffers and "Scan Cont.": the chain scans on its
// own from a clean fault state and the bridge collects the answers.
void RunAutoStartSequence(Session& session, const PollingView& paint);

// "ENABLE POLLING" ticked: clears the logs when a polled action is selected, takes the UPR
// choice, runs the auto start sequence when asked and starts the polling timer.
void StartPolling(Session& session, bool uprSelected, bool autoStart, const PollingView& paint);

// One tick of the polling timer: the UPR buffers in daisy-chain mode, then the selected scans
// before the selected read-alls, each only while polling is still on. A tick that ran "Read
// Volts" ends by charting what it read, flagged with the errors of all its exchanges, unless the
// board was lost. A tick that arrives while another one is running (its operations let events
// run) is skipped.
void PollingTick(Session& session, const PollingView& paint);

}  // namespace qvm
