// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "protocol/session.h"

namespace qvm {

// The main tab's balance settings, each a read-modify-write of a balance register of the
// primary devices.
enum class BalanceSetting {
  CellBalanceEnable,  // chkEnableCellBalance: value 1 checked, 0 unchecked
  Mode,               // cboBalanceMode: list index 0..3
  Timeout,            // cboBalanceTimeout: list index 0..127
  Wait,               // cboBalanceWait: list index 0..7
};

// New register values from the stored value `v` and the control's value.
std::int16_t BalanceSetupForEnable(std::int16_t v, bool checked);
std::int16_t BalanceSetupForMode(std::int16_t v, int mode);
std::int16_t BalanceTimeForTimeout(std::int16_t v, int timeout);
std::int16_t BalanceSetupForWait(std::int16_t v, int wait);

// What a change paints once every device is written: the per-cell buttons follow the mode.
struct BalanceControlsView {
  std::function<void()> enableCellButtons;
  std::function<void()> disableCellButtons;
  std::function<void()> refreshCellButtons;
};

// Applies `setting` to device 1, or in daisy-chain mode with several primary devices to all of
// them or only the selected one as the user answers. Does nothing while control events are
// suppressed; not connected or no primary device: message and log line, nothing written.
// False when nothing was written.
bool ChangeBalanceSetting(Session& session, BalanceSetting setting, int value,
                          const BalanceControlsView& paint = {});

// Toggles the balance switch of cell `cell` (0..11) of the selected device; `on` is what the
// cell's button shows now. The button's new state, or nothing when nothing was written.
std::optional<bool> ToggleCellBalance(Session& session, int cell, bool on);

}  // namespace qvm
