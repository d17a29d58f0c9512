// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <optional>
#include <string>

#include "core/console_view.h"
#include "model/register_image.h"
#include "model/register_model.h"
#include "model/shared_state.h"
#include "model/shown_value.h"
#include "model/value_format.h"

namespace qvm {

inline constexpr int kCellsPerDevice = 12;
inline constexpr int kOpenWireBits = 13;
inline constexpr int kChainDevices = 14;
inline constexpr int kMonitorFrames = 4;

// Background of a per-cell balance button.
enum class ButtonBackground {
  ButtonFace,  // the system's button-face colour: switch off
  Yellow,      // FF FF 00: switch on
};

struct BalanceButton {
  bool visible = false;
  bool enabled = false;
  std::string caption = "Off";
  ButtonBackground background = ButtonBackground::ButtonFace;
};

using BalanceButtons = std::array<BalanceButton, kCellsPerDevice>;

// Balance modes 1 and 2 switch cells by hand, so only they show the per-cell buttons.
bool BalanceButtonsShownForMode(int mode);
void EnableMainTabBalCtrlButtons(BalanceButtons& buttons);
void DisableMainTabBalCtrlButtons(BalanceButtons& buttons);
// The twelve buttons for the selected type-0 device: shown for its balance mode, captions and
// backgrounds from its balance switch bits.
BalanceButtons RefreshMainTabBalCtrlButtons(const RegisterImage& image, const SharedState& state);

// Balance settings of the selected device as the main tab's lists and check box show them.
struct MainTabBalance {
  int modeIndex = 0;
  int timeoutIndex = 0;
  int waitIndex = 0;
  bool enabled = false;
  BalanceButtons buttons{};
};

// Everything the main tab's device status frame shows. Values are blank when there is no device
// or the value was never read, and carry how they are known. Indicators from bits never read
// stay off. Type-0 indicators come first in the combined arrays, then the companion's.
struct MainTabDeviceStatus {
  std::array<Colour, 2 * kCellsPerDevice> cellSetup{};
  std::array<Colour, 2 * kCellsPerDevice> cellOV{};
  std::array<Colour, 2 * kCellsPerDevice> cellUV{};
  std::array<Colour, kOpenWireBits> cellOW{};
  Colour vssOW = Colour::Grey;
  Colour vbatOW = Colour::Grey;
  std::array<ShownValue, kCellsPerDevice> cellVoltage{};
  ShownValue vbatVoltage;
  // 0 internal, 1..4 external inputs.
  std::array<ShownValue, 5> temperatures{};
  ShownValue ovLimit;
  ShownValue uvLimit;
  ShownValue itLimit;
  // Absent while the balance settings are being written to the devices: the lists, the check
  // box and the buttons keep the user's choice. Apply with control events suppressed.
  std::optional<MainTabBalance> balance;
  std::array<Colour, 2 * kChainDevices> devicePresent{};
  std::array<Colour, 2 * kChainDevices> deviceFault{};
  std::array<ShownValue, kChainDevices> deviceVbat{};
  // Blank unless every type-0 device's pack voltage is known.
  ShownValue stackVoltage;
  // False when the configuration has no companion IC: its indicators stay hidden.
  bool companionShown = true;
};

MainTabDeviceStatus ComputeMainTabDeviceStatus(const RegisterModel& model,
                                               const RegisterImage& image, const SharedState& state,
                                               char decimalSeparator = HostDecimalSeparator());

// One monitor frame: device number frame index + 1.
struct MonitorFrame {
  bool shown = false;
  std::array<Colour, kCellsPerDevice> ov52400{};
  std::array<Colour, kCellsPerDevice> uv52400{};
  std::array<Colour, kCellsPerDevice> ov52401{};
  std::array<Colour, kCellsPerDevice> uv52401{};
  std::array<Colour, kOpenWireBits> ow52400{};
  Colour vssOW = Colour::Grey;
  Colour vbatOW = Colour::Grey;
  std::array<ShownValue, kCellsPerDevice> cellVoltage{};
  ShownValue vbatVoltage;
};

// The monitor tab: the first four devices side by side.
struct MonitorTabStatus {
  std::array<MonitorFrame, kMonitorFrames> frames{};
  // False when the configuration has no companion IC: its indicators stay hidden.
  bool companionShown = true;
};

MonitorTabStatus ComputeMonitorTabStatus(const RegisterModel& model, const RegisterImage& image,
                                         const SharedState& state,
                                         char decimalSeparator = HostDecimalSeparator());

// An empty companion part name, or "NONE" in any case, means there is no companion IC.
bool CompanionConfigured(const SharedState& state);

}  // namespace qvm
