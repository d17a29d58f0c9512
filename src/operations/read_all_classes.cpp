// SPDX-License-Identifier: MIT
#include "operations/read_all_classes.h"

#include <array>

#include "core/hex.h"
#include "model/decoders.h"
#include "model/value_format.h"
#include "operations/bulk_reads.h"
#include "records/chart_export.h"

namespace qvm {

namespace {

constexpr std::array<ReadAllClassInfo, 4> kClasses = {{
    {"volts", kRegVbat, 13, ReadAllShown::kVolts},
    {"temps", kRegInternalTemp, 7, ReadAllShown::kTemps},
    {"faults", 0x80, 7, ReadAllShown::kRaw},
    {"setups", 0x90, 14, ReadAllShown::kRaw},
}};

double Decoded(const Session& session, ReadAllShown shown, int column, std::int16_t raw) {
  switch (shown) {
    case ReadAllShown::kVolts:
      return column == 0 ? DecodeVbatVoltage(session.model, raw)
                         : DecodeCellVoltage(session.model, raw);
    case ReadAllShown::kTemps:
      return column == 0 ? DecodeInternalTemp(session.model, session.state, raw)
                         : DecodeExternalTemp(session.model, raw);
    case ReadAllShown::kRaw:
      break;
  }
  return static_cast<std::uint16_t>(raw);
}

}  // namespace

const ReadAllClassInfo& ClassInfo(ReadAllClass kind) {
  return kClasses[static_cast<std::size_t>(kind)];
}

std::optional<ReadAllClass> ReadAllClassNamed(std::string_view name) {
  for (std::size_t i = 0; i < kClasses.size(); ++i) {
    if (name == kClasses[i].name) return static_cast<ReadAllClass>(i);
  }
  return std::nullopt;
}

std::string ReadAllClassNames() {
  return "volts, temps, faults or setups";
}

bool ReadAll(Session& session, ReadAllClass kind) {
  switch (kind) {
    case ReadAllClass::kVolts:
      return ReadAllVolts(session);
    case ReadAllClass::kTemps:
      return ReadAllTemps(session);
    case ReadAllClass::kFaults:
      return ReadAllFaults(session);
    case ReadAllClass::kSetups:
      break;
  }
  return ReadAllSetups(session);
}

std::vector<DeviceReading> DeviceReadings(const Session& session, ReadAllClass kind,
                                          const Acquisition& read) {
  const ReadAllClassInfo& info = ClassInfo(kind);
  const std::array<int, 2> counts = {session.state.DeviceCount52400,
                                     session.state.DeviceCount52401};
  std::vector<DeviceReading> readings;
  for (int type = 0; type < kDeviceTypes; ++type) {
    for (int dev = 1; dev <= counts[static_cast<std::size_t>(type)] && dev < kDevicesPerType;
         ++dev) {
      DeviceReading reading{type, dev, {}, 0, read.Errors().Device(type, dev)};
      for (int column = 0; column < info.columns; ++column) {
        const int address = info.firstRegister + column;
        if (session.model.RegKind(type, address) == kKindUndefined) {
          reading.values.emplace_back();
        } else if (!read.Fresh(type, dev, address)) {
          reading.values.emplace_back();
          reading.unread |= 1u << column;
        } else {
          reading.values.emplace_back(
              Decoded(session, info.shown, column, session.image.at(type, dev, address)));
        }
      }
      readings.push_back(std::move(reading));
    }
  }
  return readings;
}

std::string ComErrorSummary(const Session& session, const ComErrorTally& errors) {
  std::string text;
  for (int type = 0; type < kDeviceTypes; ++type) {
    for (int dev = 0; dev < kDevicesPerType; ++dev) {
      const std::uint16_t flags = errors.Device(type, dev);
      if (flags == 0) continue;
      text += (text.empty() ? "" : ", ") + session.state.PartName(type) + " device " +
              std::to_string(dev) + " " + ComErrorCodes(flags);
    }
  }
  return text.empty() ? ComErrorCodes(errors.flags) : text;
}

std::string ValueText(ReadAllClass kind, int column, double value, char decimalSeparator) {
  switch (ClassInfo(kind).shown) {
    case ReadAllShown::kVolts:
      return FormatVoltage(value, decimalSeparator);
    case ReadAllShown::kTemps:
      return column == 0 ? FormatTemperature(value, decimalSeparator)
                         : FormatVoltage(value, decimalSeparator);
    case ReadAllShown::kRaw:
      break;
  }
  return Hex0x(static_cast<std::uint16_t>(value), 4);
}

std::string ReadingText(ReadAllClass kind, const DeviceReading& reading, int column) {
  const std::optional<double>& value = reading.values[static_cast<std::size_t>(column)];
  if (value) return ValueText(kind, column, *value, '.');
  return reading.Unread(column) ? "--" : "-";
}

std::string ColumnTitle(ReadAllClass kind, int column) {
  const ReadAllClassInfo& info = ClassInfo(kind);
  switch (info.shown) {
    case ReadAllShown::kVolts:
      return column == 0 ? "VBAT" : "C" + std::to_string(column);
    case ReadAllShown::kTemps:
      return column == 0 ? "TINT" : "EXT" + std::to_string(column);
    case ReadAllShown::kRaw:
      break;
  }
  return Hex0x(static_cast<std::uint32_t>(info.firstRegister + column), 2);
}

}  // namespace qvm
