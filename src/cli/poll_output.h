// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "operations/poll_run.h"

namespace qvm::cli {

// What one polling tick printed is made of: the run after the tick, the --read classes, when
// the run began (session clock) and the wall-clock time of the tick.
struct TickReport {
  Session& session;
  PollRun& run;
  const std::vector<std::string>& reads;
  std::int64_t startMs;
  std::chrono::system_clock::time_point time;
};

// One line of text for a tick (its JSON form is TickJson of records/sample_json.h): "tick 3
// 2026-12-09T17:20:03.042Z errors - | volts QVM52400 1: VBAT 44.900 C1 3.7412 ...", "--" for a
// value the tick did not read, "-" for a register not defined.
std::string TickLine(const TickReport& tick);

}  // namespace qvm::cli
