// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_line.h"
#include "protocol/session.h"
#include "records/record_channel.h"

namespace qvm {

// The device configuration file: register write lines ("wrt,<part>,dev0xNN,cat0x0A,adr0xNN,
// dat0xNNNN") with header and label lines between them, saved from the register image and
// replayed into the devices line by line.

// The lines "Save Configuration..." writes: every primary and companion device's settings
// (device 1 only in single-device mode).
std::vector<std::string> DeviceConfigLines(const Session& session);
// The lines "Save EEPROM" writes: the EEPROM and test registers of device 1.
std::vector<std::string> EeTestLines(const Session& session);

// Asks for a file through `channel` and writes the lines; false, with a message, when no file
// was written in full. When values of the file were never read or their last read failed, it
// first offers to read them from the devices, and writes nothing unless all could be read.
bool SaveDeviceConfig(Session& session, RecordChannel& channel);
// As SaveDeviceConfig for EEPROM lines; the console then counts one primary device.
bool SaveEeTestRegs(Session& session, RecordChannel& channel);

// The line of a refused file and why it was refused.
struct ConfigRefusal {
  int line = 0;
  std::string reason;
};

// What a replay did: the well-formed write lines for a part in use, the register writes made,
// how many of them the device did not acknowledge (or the bridge did not carry), and the
// skipped lines by reason; or, for a refused file, the line that refused it.
struct ConfigReplay {
  int usableLines = 0;
  int writes = 0;
  int failedWrites = 0;
  std::array<int, kConfigSkipReasons> skipped{};  // by ConfigSkip
  std::optional<ConfigRefusal> refused;
};

// Replays `text`: every well-formed write line of a read/write register is stored in the
// register image and written to its device(s), in file order. Other lines are skipped. A write
// line for a part in use whose device, category, address or data does not fit its field, or a
// write line the text ends in the middle of, refuses the whole text: nothing is written.
ConfigReplay ReplayConfigFile(Session& session, std::string_view text);
// The number of register writes ReplayConfigFile made.
int ParseConfigFile(Session& session, std::string_view text);

// "<path>:<line>: <reason>; nothing of the file was written".
std::string ConfigRefusalText(const std::string& path, const ConfigRefusal& refusal);

// "N register writes, M lines skipped" and the reasons in brackets.
std::string ConfigReplaySummary(const ConfigReplay& summary);
// Why a replay that was not refused still did not apply the file, or nothing when it did: no
// usable line (naming an example line for `partName`), nothing writable for the devices
// present, or writes that were not acknowledged.
std::optional<std::string> ConfigReplayProblem(const ConfigReplay& replay, const std::string& path,
                                               const std::string& partName);
// The activity-log line after a load: "<procedure>: " and the summary.
std::string ConfigLoadLine(const std::string& procedure, const ConfigReplay& summary);

// Asks for a file and replays it; the chosen path, or empty when the user cancelled or the
// file could not be read or was refused (reported with `procedure`'s name).
// The file dialog starts in the folder of the last load, the first time in `documentsFolder`.
std::string LoadDeviceConfig(Session& session, const std::string& procedure = "LoadDeviceConfig",
                             const std::string& documentsFolder = "");

}  // namespace qvm
