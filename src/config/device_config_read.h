// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "protocol/session.h"
#include "records/record_file_system.h"

namespace qvm {

// A register that the chain's configuration file holds.
struct ConfigRegister {
  int type;
  int dev;
  int reg;
};

// Every register the configuration file of the chain holds, device by device; the balance status
// banks of the primary devices come on top.
std::vector<ConfigRegister> ConfigRegisters(const Session& session);

// What the file would hold without the console knowing it: registers never read or written, or
// whose last read failed, and balance status banks not read; e.g. "QVM52400 device 2 register
// 0x90", "QVM52400 device 1 balance bank 3". Empty when the file would hold only known values.
std::vector<std::string> UnknownConfigValues(const Session& session);

// Reads from the devices every register and balance status bank the file holds: the fault and
// setup blocks, the registers they leave out one by one, then each primary device's thirteen
// banks, its balance setup register written back as it was afterwards. UnknownConfigValues then
// says what could not be read.
void ReadDeviceConfig(Session& session);

// Saves the chain's configuration to `path` (".txt" added to a new name without extension) for a
// program without dialogs: everything the file holds is read first; the file is written under a
// temporary name beside it and renamed to its name only when every value was read and every
// line written, so no file of that name ever holds a value not read. False, with the reason in
// `problem`, otherwise; `path` is then left as it was.
bool SaveConfigurationTo(Session& session, RecordFileSystem& files, const std::string& path,
                         std::string& problem);

}  // namespace qvm
