// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "protocol/session.h"

namespace qvm {

// The device families the configuration offers.
enum class DeviceFamily {
  QVM38817Only,
  QVM52400Only,
  QVM52400And52401,
};

// What the user states about the board.
struct ManualConfigChoice {
  bool daisyChain = true;
  DeviceFamily family = DeviceFamily::QVM52400Only;
  // Devices per type in a daisy chain.
  std::int16_t stackSize = 1;
};

// Records the choice in the shared state and the bridge settings: mode byte, bridge command,
// part names, counts and tab definition file. The caller then rebuilds the register model from
// the tab definition file and connects.
void ApplyManualConfiguration(Session& session, const ManualConfigChoice& choice);

}  // namespace qvm
