// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>

#include "protocol/session.h"

namespace qvm {

// Takes the values a read just brought into the charts, with the communication-error flags met
// while they were acquired.
using ChartSampleSink = std::function<void(std::uint16_t comErrors)>;

// The read buttons of the command panel: every device's cell voltages, temperatures, fault
// registers or setup registers, one block read per device in daisy-chain mode, one read per
// register in single-device mode. Not connected: message box and log line, nothing sent.
// False when anything failed: an exchange the bridge did not carry, or any communication error.
//
// "Read Volts" hands the new voltages to `addToCharts` when it is given (the console passes it
// while "Polling Update Charts" is ticked); a board that is gone makes no sample.
bool ReadAllVolts(Session& session, const ChartSampleSink& addToCharts = {});
bool ReadAllTemps(Session& session);
bool ReadAllFaults(Session& session);
bool ReadAllSetups(Session& session);

// "Read All Regs": logs the heading and says it is not available; transfers nothing.
void ReadAllRegs(Session& session);

}  // namespace qvm
