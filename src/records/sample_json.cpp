// SPDX-License-Identifier: MIT
#include "records/sample_json.h"

#include "core/utc_time.h"
#include "records/chart_export.h"

namespace qvm {

namespace {

std::string Number(ReadAllClass kind, int column, const std::optional<double>& value) {
  if (!value) return "null";
  if (ClassInfo(kind).shown == ReadAllShown::kRaw) {
    return std::to_string(static_cast<std::uint16_t>(*value));
  }
  return ValueText(kind, column, *value, '.');
}

std::string Array(ReadAllClass kind, const DeviceReading& reading, int first, int last) {
  std::string text = "[";
  for (int column = first; column <= last; ++column) {
    if (column > first) text += ',';
    text += Number(kind, column, reading.values[static_cast<std::size_t>(column)]);
  }
  return text + "]";
}

}  // namespace

std::string JsonReading(const Session& session, ReadAllClass kind, const DeviceReading& reading) {
  std::string text = "{\"type\":" + JsonString(session.state.PartName(reading.type)) +
                     ",\"dev\":" + std::to_string(reading.dev) +
                     ",\"com_errors\":" + JsonString(ComErrorCodes(reading.comErrors));
  const int last = ClassInfo(kind).columns - 1;
  switch (ClassInfo(kind).shown) {
    case ReadAllShown::kVolts:
      text += ",\"pack\":" + Number(kind, 0, reading.values[0]) +
              ",\"cells\":" + Array(kind, reading, 1, last);
      break;
    case ReadAllShown::kTemps:
      text += ",\"internal\":" + Number(kind, 0, reading.values[0]) +
              ",\"external\":" + Array(kind, reading, 1, last);
      break;
    case ReadAllShown::kRaw:
      text += ",\"registers\":{";
      for (int column = 0; column <= last; ++column) {
        if (column > 0) text += ',';
        text += JsonString(ColumnTitle(kind, column)) + ":" +
                Number(kind, column, reading.values[static_cast<std::size_t>(column)]);
      }
      text += "}";
      break;
  }
  return text + "}";
}

std::string JsonReadings(const Session& session, ReadAllClass kind, const Acquisition& read) {
  std::string text = "[";
  bool first = true;
  for (const DeviceReading& reading : DeviceReadings(session, kind, read)) {
    if (!first) text += ',';
    first = false;
    text += JsonReading(session, kind, reading);
  }
  return text + "]";
}

std::string TickJson(const TickSample& tick) {
  std::string text = "{\"tick\":" + std::to_string(tick.tick) +
                     ",\"time_ms\":" + std::to_string(tick.timeMs) +
                     ",\"time\":" + JsonString(UtcTimeText(tick.time)) +
                     ",\"com_errors\":" + JsonString(ComErrorCodes(tick.read.Errors().flags));
  for (const ReadAllClass kind : tick.reads) {
    text +=
        "," + JsonString(ClassInfo(kind).name) + ":" + JsonReadings(tick.session, kind, tick.read);
  }
  return text + "}";
}

}  // namespace qvm
