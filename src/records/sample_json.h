// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/json_text.h"
#include "operations/read_all_classes.h"

namespace qvm {

// The sample's JSON form, one for `qvmctl --json`, the Python module and the publishers.

// One device's reading as a JSON object: "type" (part name), "dev", "com_errors" (the codes of
// the errors that concerned it), then by class "pack" and "cells" (V); "internal" (°C) and
// "external" (V); or "registers" keyed "0xNN". Values are numbers as the console shows them,
// null where the register is not defined or was not read.
std::string JsonReading(const Session& session, ReadAllClass kind, const DeviceReading& reading);

// Every identified device's reading by `read` as a JSON array.
std::string JsonReadings(const Session& session, ReadAllClass kind, const Acquisition& read);

// One polling tick: what it read, its number in the run, the milliseconds since the run
// began, its wall-clock time and the classes it reads.
struct TickSample {
  const Session& session;
  const Acquisition& read;
  int tick;
  std::int64_t timeMs;
  std::chrono::system_clock::time_point time;
  const std::vector<ReadAllClass>& reads;
};

// One JSON object for a tick: "tick", "time_ms", "time" (ISO 8601, UTC), "com_errors" (the
// codes of the errors its exchanges met) and a JsonReadings array per class read, named by
// the class ("volts", ...), null where the tick did not read a value.
std::string TickJson(const TickSample& tick);

}  // namespace qvm
