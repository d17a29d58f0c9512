#pragma once

#include <functional>

#include "protocol/session.h"

namespace qvm {

// The read buttons of the command panel: every device's cell voltages, temperatures, fault
// registers or setup registers, one block read per device in daisy-chain mode, one read per
// register in single-device mode. Not connected: message box and log line, nothing sent.
// False when anything failed.
//
// "Read Volts" hands the new voltages to `addToCharts` when it is given (the console passes it
// while "Polling Update Charts" is ticked).
bool ReadAllVolts(Session& session, const std::function<void()>& addToCharts = {});
bool ReadAllTemps(Session& session);
bool ReadAllFaults(Session& session);
bool ReadAllSetups(Session& session);

// "Read All Regs": logs the heading and says it is not available; transfers nothing.
void ReadAllRegs(Session& session);

}  // namespace qvm
