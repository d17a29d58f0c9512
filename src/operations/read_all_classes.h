#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/session.h"

namespace qvm {

// The four classes of registers the read buttons read, as the front ends without windows name
// them: "volts", "temps", "faults", "setups".
enum class ReadAllClass { kVolts, kTemps, kFaults, kSetups };

// How a class's values come out: decoded volts, decoded temperatures (°C, then the external
// inputs in volts), or raw register values.
enum class ReadAllShown { kVolts, kTemps, kRaw };

struct ReadAllClassInfo {
  const char* name;
  int firstRegister;  // register index of column 0
  int columns;
  ReadAllShown shown;
};

const ReadAllClassInfo& ClassInfo(ReadAllClass kind);
std::optional<ReadAllClass> ReadAllClassNamed(std::string_view name);
// "volts, temps, faults or setups".
std::string ReadAllClassNames();

// Runs the class's read button ("Read Volts" ... "Read Setups"); false when anything failed.
bool ReadAll(Session& session, ReadAllClass kind);

// The values of one identified device after a read: decoded as the console shows them (volts
// and temperatures) or raw, one per column; nothing where the register is not defined.
struct DeviceReading {
  int type = 0;
  int dev = 0;
  std::vector<std::optional<double>> values;
};

// Every identified device of both types, type 0 first, from the register image.
std::vector<DeviceReading> DeviceReadings(const Session& session, ReadAllClass kind);

// A value as the console shows it: volts "###0.0000", the internal temperature "###0.0", raw
// values "0xNNNN".
std::string ValueText(ReadAllClass kind, int column, double value, char decimalSeparator);

// Column titles: "VBAT", "C1".."C12"; "TINT", "EXT1".."EXT4"; "0x80".. for raw classes.
std::string ColumnTitle(ReadAllClass kind, int column);

}  // namespace qvm
