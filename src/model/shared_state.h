// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "model/register_model.h"

namespace qvm {

// Steps of a primary device's balance sequence.
inline constexpr int kBalanceBanks = 13;

inline constexpr const char* kTabDefs52400 = "\\tabdefs_QVM52400_RevA.csv";
inline constexpr const char* kTabDefs38817 = "\\tabdefs_QVM38817_RevA.csv";

// The console-wide state record, with the values it holds when the console loads.
struct SharedState {
  bool DaisyChainMode = false;
  std::int16_t DeviceCount52400 = 0;
  std::int16_t DeviceCount52401 = 0;
  std::int16_t SelectedDevice = 1;
  std::int16_t SelectedDeviceType = 0;

  // Results of the manual configuration dialog.
  bool DeviceConfigChosen = false;
  // Folder of the last configuration file loaded; empty until one was.
  std::string ConfigLoadFolder;
  bool ManualConfigAccepted = false;
  bool ManualDaisyChain = false;
  std::int16_t ManualCount52400 = 0;
  std::int16_t ManualCount52401 = 0;
  bool IdentifyCompanionType = false;

  bool UprPollingActive = false;
  // What each polling tick does beyond the UPR buffers, as the polling options chose it.
  bool PollScanAll = false;
  bool PollScanMixed = false;
  bool PollScanVolts = false;
  bool PollScanTemps = false;
  bool PollScanWires = false;
  bool PollReadVolts = false;
  bool PollReadTemps = false;
  bool PollReadFaults = false;
  bool PollReadSetups = false;
  bool PollOptionsChanged = false;
  // A polling tick is running; a tick due meanwhile is skipped.
  bool PollingTickRunning = false;
  // The UPR buffer status other than healthy that last stopped polling, and its device type.
  std::optional<std::uint8_t> BadUprStatus;
  int BadUprStatusType = 0;
  bool DemoMode = false;
  bool SuppressControlEvents = false;
  bool UpDownUpdating = false;
  bool BalanceUpdateInProgress = false;

  // The balance sequence banks of each primary device, as last read or written, and whether
  // each was: a bank never read, or whose last read failed, is not known.
  std::array<std::array<std::int16_t, kBalanceBanks>, kDevicesPerType> BalanceStatusImage{};
  std::array<std::array<bool, kBalanceBanks>, kDevicesPerType> BalanceStatusKnown{};

  // Keeps `value` as bank `bank` of `device`, known or not.
  void KeepBalanceBank(int device, int bank, std::int16_t value, bool known) {
    BalanceStatusImage[static_cast<std::size_t>(device)][static_cast<std::size_t>(bank)] = value;
    BalanceStatusKnown[static_cast<std::size_t>(device)][static_cast<std::size_t>(bank)] = known;
  }

  std::int16_t Tint25 = 9217;
  std::string PartName52400 = "QVM52400";
  std::string PartName52401 = "QVM52401";
  std::string TabDefsFileName = kTabDefs52400;

  // Display name of a device type.
  const std::string& PartName(int devType) const {
    return devType != 0 ? PartName52401 : PartName52400;
  }
};

}  // namespace qvm
