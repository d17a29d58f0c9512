// SPDX-License-Identifier: MIT
#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "model/shared_state.h"

namespace qvm {

// One item of a device-number menu.
struct DeviceMenuItem {
  bool checked = false;
  bool enabled = false;
};

// What the device menus and device-number lists show for a shared state.
struct DeviceMenuState {
  std::array<std::array<DeviceMenuItem, 16>, 2> menus{};
  // Entries of the device-number lists and the selected index; nothing when the lists are not
  // refilled (single-device mode).
  std::optional<std::vector<std::string>> listEntries;
  int listIndex = -1;
};

DeviceMenuState ComputeDeviceMenuState(const SharedState& state);

}  // namespace qvm
