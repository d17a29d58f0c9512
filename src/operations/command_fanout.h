// SPDX-License-Identifier: MIT
#pragma once

#include "protocol/device_command.h"
#include "protocol/session.h"

namespace qvm {

// Each routine fans the caller's category, address and data out over the identified devices,
// filling in device number and device type, and hands every reply to the parser. A device type
// whose kind table does not define the command's register is skipped silently. The routines
// stop at the first transfer the bridge did not answer and return false then (and when not
// connected or called in the wrong mode); true when every transfer went through.

// Daisy-chain mode: one transfer per device, polling paused for the whole fan-out.
bool DaisyChainQuickCommand(Session& session, DeviceCommand record);
// Daisy-chain mode: one transfer per device type to the broadcast address 15.
bool DaisyChainBroadcastCommand(Session& session, DeviceCommand record);
// Single-device mode: one transfer per present device type, device number as given.
bool NonDaisyChainQuickCommand(Session& session, DeviceCommand record);
bool NonDaisyChainBroadcastCommand(Session& session, DeviceCommand record);

// The not-connected message box and "<procedure>: EVB not detected. ..." log line.
void ReportEvbNotConnected(Session& session, const std::string& procedure);

}  // namespace qvm
