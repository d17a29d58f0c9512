// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/console_view.h"
#include "model/register_image.h"
#include "model/register_model.h"
#include "model/shared_state.h"
#include "model/shown_value.h"
#include "model/value_format.h"

namespace qvm {

// Range of the register editor's up/down controls.
inline constexpr int kUpDownMin = 0;
inline constexpr int kUpDownMax = 0x3FFF;

struct BitToggle {
  std::string caption = "0";  // "1" or "0"
  Colour colour = Colour::Grey;
};

// One register row of the editor as a window shows it.
struct RegisterSlot {
  bool visible = false;                            // fmRegCtrls
  std::string tbRegdata;                           // four hexadecimal digits, or blank
  std::array<BitToggle, kBitsPerRegister> bits{};  // cbRegToggleBit(slot * 14 + bit)
  int updnRegData = 0;
  bool decodedVisible = false;  // tbRegDecodedVal with its label and units
  std::string tbRegDecodedVal;
  // How the image knows the value of a readable register: the value and its decoding are
  // blank when it was never read, greyed when its last read failed. A command register's value
  // is the console's own argument and always known.
  Freshness freshness;
};

// What the slot logic asks of the window around it. Empty hooks mean "not shown" / "nothing".
struct RegisterSlotHooks {
  // The up/down control of `slot` takes `value`; called while UpDownUpdating is set.
  std::function<void(int slot, int value)> upDownSet;
  std::function<bool()> mainTabDeviceStatusVisible;  // fraMainTabDeviceStatus
  std::function<void()> updateMainTabDeviceStatusControls;
  std::function<bool()> monitorTabVisible;  // fraDeviceVoltagesFaults(0)
  std::function<void()> updateMonitorTabControls;
  // An error trap report ("Error in <routine> Err.Number = ...").
  std::function<void(const std::string& text)> reportError;
};

// The register editor's eight slots and the rules that keep the hexadecimal text, the bit
// toggles, the up/down value, the register image and the decoded value in step.
class RegisterSlots {
 public:
  RegisterSlots(const RegisterModel& model, RegisterImage& image, SharedState& state,
                RegisterSlotHooks hooks = {}, char decimalSeparator = HostDecimalSeparator());

  std::array<RegisterSlot, kSlotsPerTab> rows{};
  // Selected tab number of the register tab strip, 1-based.
  int selectedTab = 1;

  // Shows the register of `slot` on the selected tab: frame, decoded-value visibility and the
  // image value as text, then brings the other controls in step (kind 5).
  void LoadSlot(int slot);

  void RegValToDecodedVal(int slot);
  void RegDataToUpDown(int slot);
  void RegDataToBits(int slot);
  void RegDataToRegArray(int slot);
  // `index` is slot * 14 + bit.
  void BitsToRegData(int index);

  // After a change: 1 bit toggle clicked (value = toggle index), 2 key released and 3 key
  // pressed in the slot text, 4 up/down changed, 5 slot refreshed from the device (value =
  // slot; the text is blanked when the image does not know the value). Other kinds do nothing.
  void UpdateOtherControls(int kind, int value);

 private:
  struct TrapError {
    int number;
    std::string_view description;
  };

  bool SlotInRange(int slot) const { return slot >= 0 && slot < kSlotsPerTab; }
  // Sets `reg` to the register shown in `slot`; otherwise the error that prevents reaching it.
  std::optional<TrapError> SlotRegister(int slot, int& reg) const;
  // Sets `value` to the value of the slot text; otherwise the error that prevents reading it.
  std::optional<TrapError> SlotValue(int slot, int& value) const;
  void Report(std::string_view routine, TrapError error) const;
  // Takes how the image knows the value of the register in `slot`.
  void TakeFreshness(int slot);
  void RefreshStatusDisplays() const;

  const RegisterModel& model_;
  RegisterImage& image_;
  SharedState& state_;
  RegisterSlotHooks hooks_;
  char decimalSeparator_;
};

}  // namespace qvm
