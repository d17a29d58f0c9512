// SPDX-License-Identifier: MIT
#pragma once

#include "protocol/device_command.h"
#include "protocol/session.h"

namespace qvm {

// Reads one register of one device between a polling pause and resume; the value lands in the
// register image (and, in single-device mode, in `command.dat`).
void ReadSingleReg(Session& session, DeviceCommand& command);

// Writes one register of one device; sets the write bit of `command.cat`. Registers that the
// selected device type's kind table does not mark read/write are refused without sending.
void WriteSingleReg(Session& session, DeviceCommand& command);

// The two above without their error trap, with `procedure` heading the log lines: the console's
// own read and write buttons share the procedure but log under their own names.
void ReadRegisterAs(Session& session, DeviceCommand& command, const char* procedure);
void WriteRegisterAs(Session& session, DeviceCommand& command, const char* procedure);

// The write just made to device `dev` reached it: the bridge carried it and, on a chain, the
// device acknowledged it.
bool WriteAcknowledged(const Session& session, int dev);

}  // namespace qvm
