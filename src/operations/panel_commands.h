// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

#include "protocol/session.h"

namespace qvm {

// A one-shot button of the daisy-chain command panel.
struct PanelCommand {
  const char* procedure;  // the button's name in the activity log
  std::uint8_t cat;
  std::uint8_t adr;
  std::int16_t dat;
  bool broadcast;  // one transfer per device type to address 15, else one per device
  bool scan;       // raises ScanInProgress while it runs
};

inline constexpr PanelCommand kScanAllVolts{"cbScanAllVolts_Click", 3, 0x01, 0, false, true};
inline constexpr PanelCommand kScanAllTemps{"cbScanAllTemps_Click", 3, 0x02, 0, false, true};
inline constexpr PanelCommand kScanAllMixed{"cbScanAllMixed_Click", 3, 0x03, 0, false, true};
inline constexpr PanelCommand kScanAllWires{"cbScanAllWires_Click", 3, 0x04, 0, false, true};
inline constexpr PanelCommand kScanAllAll{"cbScanAllAll_Click", 3, 0x05, 0, false, true};
inline constexpr PanelCommand kScanAllContinuous{
    "cbScanAllContinuous_Click", 3, 0x06, 0, false, true};
inline constexpr PanelCommand kScanAllInhibit{"cbScanAllInhibit_Click", 3, 0x07, 0, false, true};
inline constexpr PanelCommand kSendMeasure{"cmdSendMeasure_Click", 3, 0x08, 0x15, false, false};
inline constexpr PanelCommand kBalEnableAll{"cbBalEnableAll_Click", 3, 0x10, 0, false, false};
inline constexpr PanelCommand kBalInhibitAll{"cbBalInhibitAll_Click", 3, 0x11, 0, false, false};
inline constexpr PanelCommand kDaisyChainSleep{"cbDaisyChainSleep_Click", 3, 0x0A, 0, true, true};
inline constexpr PanelCommand kDaisyChainWake{"cbDaisyChainWake_Click", 3, 0x0F, 0, true, true};

// Sends the button's command through the routine of the current mode. Not connected: logs
// "<procedure>: EVB not detected. ..." and sends nothing. False when anything failed.
bool RunPanelCommand(Session& session, const PanelCommand& command);

// What "Clear All Faults" paints beyond the log: the first UPR status indicator turns grey and
// the register page is redrawn; either may be left empty.
struct ClearFaultsView {
  std::function<void()> greyUprStatus;
  std::function<void()> redrawRegisterPage;
};

// Writes 0 to every fault register of every device and clears them in the register image,
// whether or not the write went through.
void ClearAllFaults(Session& session, const ClearFaultsView& paint = {});

}  // namespace qvm
