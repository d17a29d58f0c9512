// SPDX-License-Identifier: MIT
#include "cli/poll_output.h"

#include "core/utc_time.h"
#include "operations/read_all_classes.h"
#include "records/chart_export.h"

namespace qvm::cli {

namespace {

std::string DeviceText(const Session& session, ReadAllClass kind, const DeviceReading& reading) {
  std::string text = session.state.PartName(reading.type) + " " + std::to_string(reading.dev) + ":";
  for (int column = 0; column < ClassInfo(kind).columns; ++column) {
    text += " " + ColumnTitle(kind, column) + " " + ReadingText(kind, reading, column);
  }
  return text;
}

}  // namespace

std::string TickLine(const TickReport& tick) {
  const Acquisition& read = *tick.run.LastTick();
  const std::string errors = ComErrorCodes(read.Errors().flags);
  std::string text = "tick " + std::to_string(tick.run.Ticks()) + " " + UtcTimeText(tick.time) +
                     " errors " + (errors.empty() ? "-" : errors);
  for (const std::string& name : tick.reads) {
    const auto kind = ReadAllClassNamed(name);
    if (!kind) continue;
    for (const DeviceReading& reading : DeviceReadings(tick.session, *kind, read)) {
      text += " | " + name + " " + DeviceText(tick.session, *kind, reading);
    }
  }
  return text;
}

}  // namespace qvm::cli
