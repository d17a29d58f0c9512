#pragma once

#include <string>
#include <string_view>
#include <vector>

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
// was written in full.
bool SaveDeviceConfig(Session& session, RecordChannel& channel);
// As SaveDeviceConfig for EEPROM lines; the console then counts one primary device.
bool SaveEeTestRegs(Session& session, RecordChannel& channel);

// What a replay did: the well-formed write lines for a part in use, the register writes made
// and how many of them the device did not acknowledge (or the bridge did not carry).
struct ConfigReplay {
  int usableLines = 0;
  int writes = 0;
  int failedWrites = 0;
};

// Replays `text`: every well-formed write line of a read/write register is stored in the
// register image and written to its device(s), in file order. Other lines are skipped.
ConfigReplay ReplayConfigFile(Session& session, std::string_view text);
// The number of register writes ReplayConfigFile made.
int ParseConfigFile(Session& session, std::string_view text);

// Asks for a file and replays it; the chosen path, or empty when the user cancelled or the
// file could not be read (reported with `procedure`'s name).
std::string LoadDeviceConfig(Session& session, const std::string& procedure = "LoadDeviceConfig");

}  // namespace qvm
