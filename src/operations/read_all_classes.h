// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/acquisition.h"
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

// The values of one identified device that an acquisition read: decoded as the console shows
// them (volts and temperatures) or raw, one per column; nothing where the register is not
// defined or the acquisition did not read it (`unread` tells which), and the communication
// errors that concerned the device.
struct DeviceReading {
  int type = 0;
  int dev = 0;
  std::vector<std::optional<double>> values;
  std::uint32_t unread = 0;  // bit c: column c is defined but was not read
  std::uint16_t comErrors = 0;

  bool Unread(int column) const { return (unread & (1u << column)) != 0; }
};

// Every identified device of both types, type 0 first, with the values `read` brought.
std::vector<DeviceReading> DeviceReadings(const Session& session, ReadAllClass kind,
                                          const Acquisition& read);

// The devices the errors concerned and their codes, e.g. "QVM52400 device 2 NoACK_"; the codes
// alone when no device is known.
std::string ComErrorSummary(const Session& session, const ComErrorTally& errors);

// A value as the console shows it: volts "###0.0000", the internal temperature "###0.0", raw
// values "0xNNNN".
std::string ValueText(ReadAllClass kind, int column, double value, char decimalSeparator);

// A device's value in `column` as qvmctl prints it: ValueText, "--" where the read did not bring
// it and "-" where the register is not defined.
std::string ReadingText(ReadAllClass kind, const DeviceReading& reading, int column);

// Column titles: "VBAT", "C1".."C12"; "TINT", "EXT1".."EXT4"; "0x80".. for raw classes.
std::string ColumnTitle(ReadAllClass kind, int column);

}  // namespace qvm
