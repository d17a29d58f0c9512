// SPDX-License-Identifier: MIT
#include "console/device_menu_state.h"

namespace qvm {

DeviceMenuState ComputeDeviceMenuState(const SharedState& state) {
  DeviceMenuState result;
  const std::array<int, 2> counts = {state.DeviceCount52400, state.DeviceCount52401};
  for (int type = 0; type < 2; ++type) {
    for (int c = 0; c < 16; ++c) {
      DeviceMenuItem& item = result.menus[type][c];
      item.checked = c == state.SelectedDevice && state.SelectedDeviceType == type;
      item.enabled = counts[type] != 0 && (c <= counts[type] || c >= 15);
    }
    if (!state.DaisyChainMode) {
      result.menus[type][0].enabled = false;
      result.menus[type][15].enabled = false;
    }
  }
  if (!state.DaisyChainMode) return result;
  const int k = counts[state.SelectedDeviceType != 0 ? 1 : 0];
  std::vector<std::string> entries;
  if (k != 0) {
    for (int n = 0; n <= k; ++n) entries.push_back("Device " + std::to_string(n));
    entries.push_back("Device 15");
    // A device number beyond the chain selects nothing rather than a wrong entry.
    if (state.SelectedDevice >= 15) {
      result.listIndex = static_cast<int>(entries.size()) - 1;
    } else if (state.SelectedDevice <= k) {
      result.listIndex = state.SelectedDevice;
    }
  }
  result.listEntries = std::move(entries);
  return result;
}

}  // namespace qvm
