// SPDX-License-Identifier: MIT
#include "model/register_slots.h"

#include <utility>

#include "core/error_trap.h"
#include "core/hex.h"
#include "model/leading_number.h"

namespace qvm {
namespace {

// The error a control raises when it is given a value outside its range.
constexpr int kErrInvalidPropertyValue = 380;

bool InRange(int value, int low, int high) {
  return value >= low && value <= high;
}

}  // namespace

RegisterSlots::RegisterSlots(const RegisterModel& model, RegisterImage& image, SharedState& state,
                             RegisterSlotHooks hooks, char decimalSeparator)
    : model_(model),
      image_(image),
      state_(state),
      hooks_(std::move(hooks)),
      decimalSeparator_(decimalSeparator) {}

std::optional<RegisterSlots::TrapError> RegisterSlots::SlotRegister(int slot, int& reg) const {
  const TrapError subscript{kErrSubscriptOutOfRange, "Subscript out of range"};
  const int tab = selectedTab - 1;
  if (!SlotInRange(slot) || !InRange(tab, 0, kMaxTabs - 1) ||
      !InRange(state_.SelectedDeviceType, 0, kDeviceTypes - 1) ||
      !InRange(state_.SelectedDevice, 0, kDevicesPerType - 1)) {
    return subscript;
  }
  reg = model_.type[static_cast<std::size_t>(state_.SelectedDeviceType)]
            .TabRegister[static_cast<std::size_t>(tab)][static_cast<std::size_t>(slot)];
  if (!InRange(reg, 0, kRegisterCount - 1)) return subscript;
  return std::nullopt;
}

std::optional<RegisterSlots::TrapError> RegisterSlots::SlotValue(int slot, int& value) const {
  if (!SlotInRange(slot)) return TrapError{kErrSubscriptOutOfRange, "Subscript out of range"};
  const auto read = ReadHexText(rows[static_cast<std::size_t>(slot)].tbRegdata);
  if (!read) return TrapError{kErrOverflow, "Overflow"};
  value = *read;
  return std::nullopt;
}

void RegisterSlots::Report(std::string_view routine, TrapError error) const {
  if (hooks_.reportError) {
    hooks_.reportError(ErrorTrapMessage(routine, error.number, error.description));
  }
}

void RegisterSlots::TakeFreshness(int slot) {
  if (!SlotInRange(slot)) return;
  RegisterSlot& s = rows[static_cast<std::size_t>(slot)];
  int reg = -1;
  if (SlotRegister(slot, reg)) {
    s.freshness = {};
  } else if (IsReadableKind(model_.RegKind(state_.SelectedDeviceType, reg))) {
    s.freshness = FreshnessOf(image_, state_.SelectedDeviceType, state_.SelectedDevice, reg);
  } else {
    s.freshness = {.known = true, .stale = false, .readAtMs = std::nullopt};
  }
}

void RegisterSlots::LoadSlot(int slot) {
  if (!SlotInRange(slot)) {
    Report("LoadSlot", {kErrSubscriptOutOfRange, "Subscript out of range"});
    return;
  }
  RegisterSlot& s = rows[static_cast<std::size_t>(slot)];
  int reg = -1;
  if (SlotRegister(slot, reg)) {
    s.visible = false;
    s.decodedVisible = false;
    return;
  }
  const RegisterTables& tables = model_.type[static_cast<std::size_t>(state_.SelectedDeviceType)];
  s.visible = true;
  s.decodedVisible = !tables.RegDecodedLabel[static_cast<std::size_t>(reg)].empty();
  const auto raw = image_.at(state_.SelectedDeviceType, state_.SelectedDevice, reg);
  s.tbRegdata = HexDigits(static_cast<std::uint16_t>(raw), 4);
  UpdateOtherControls(5, slot);
}

void RegisterSlots::RegValToDecodedVal(int slot) {
  constexpr std::string_view kRoutine = "RegValToDecodedVal";
  if (!SlotInRange(slot)) {
    Report(kRoutine, {kErrSubscriptOutOfRange, "Subscript out of range"});
    return;
  }
  RegisterSlot& s = rows[static_cast<std::size_t>(slot)];
  if (!s.decodedVisible) return;
  int reg = -1;
  if (const auto error = SlotRegister(slot, reg)) {
    Report(kRoutine, *error);
    return;
  }
  if (!s.freshness.known) {
    s.tbRegDecodedVal.clear();
    return;
  }
  const int raw = image_.at(state_.SelectedDeviceType, state_.SelectedDevice, reg);
  const double scale = model_.RegScale(state_.SelectedDeviceType, reg);
  if (reg == 0x50 || reg == 0x9A) {
    s.tbRegDecodedVal = FormatTemperature((raw - state_.Tint25) * scale + 25, decimalSeparator_);
  } else {
    s.tbRegDecodedVal = FormatVoltage(raw * scale, decimalSeparator_);
  }
}

void RegisterSlots::RegDataToUpDown(int slot) {
  constexpr std::string_view kRoutine = "RegDataToUpDown";
  int value = 0;
  if (const auto error = SlotValue(slot, value)) {
    Report(kRoutine, *error);
    return;
  }
  if (value > 0x3FFF) value &= 0x3FFF;
  if (!InRange(value, kUpDownMin, kUpDownMax)) {
    Report(kRoutine, {kErrInvalidPropertyValue, "Invalid property value"});
    return;
  }
  state_.UpDownUpdating = true;
  rows[static_cast<std::size_t>(slot)].updnRegData = value;
  if (hooks_.upDownSet) hooks_.upDownSet(slot, value);
  state_.UpDownUpdating = false;
}

void RegisterSlots::RegDataToBits(int slot) {
  int value = 0;
  if (const auto error = SlotValue(slot, value)) {
    Report("RegDataToBits", *error);
    return;
  }
  for (int bit = 0; bit < kBitsPerRegister; ++bit) {
    BitToggle& toggle = rows[static_cast<std::size_t>(slot)].bits[static_cast<std::size_t>(bit)];
    const bool set = (value & BitMask[static_cast<std::size_t>(bit)]) != 0;
    toggle.caption.assign(1, set ? '1' : '0');
    toggle.colour = set ? Colour::Green : Colour::Grey;
  }
}

void RegisterSlots::RegDataToRegArray(int slot) {
  constexpr std::string_view kRoutine = "RegDataToRegArray";
  int reg = -1;
  if (const auto error = SlotRegister(slot, reg)) {
    Report(kRoutine, *error);
    return;
  }
  int value = 0;
  if (const auto error = SlotValue(slot, value)) {
    Report(kRoutine, *error);
    return;
  }
  const auto stored = RoundToInt16(value);
  if (!stored) {
    Report(kRoutine, {kErrOverflow, "Overflow"});
    return;
  }
  image_.StoreWritten(state_.SelectedDeviceType, state_.SelectedDevice, reg, *stored);
}

void RegisterSlots::BitsToRegData(int index) {
  const int slot = index / kBitsPerRegister;
  if (index < 0 || !SlotInRange(slot)) {
    Report("BitsToRegData", {kErrSubscriptOutOfRange, "Subscript out of range"});
    return;
  }
  RegisterSlot& s = rows[static_cast<std::size_t>(slot)];
  std::uint32_t sum = 0;
  for (int bit = 0; bit < kBitsPerRegister; ++bit) {
    if (s.bits[static_cast<std::size_t>(bit)].caption == "1") sum += 1u << bit;
  }
  s.tbRegdata = HexDigits(sum, 4);
}

void RegisterSlots::UpdateOtherControls(int kind, int value) {
  switch (kind) {
    case 1: {
      BitsToRegData(value);
      const int slot = value / kBitsPerRegister;
      RegDataToRegArray(slot);
      TakeFreshness(slot);
      RegDataToUpDown(slot);
      RegValToDecodedVal(slot);
      break;
    }
    case 2:
    case 3:
      RegDataToBits(value);
      RegDataToRegArray(value);
      TakeFreshness(value);
      RegDataToUpDown(value);
      RegValToDecodedVal(value);
      break;
    case 4:
      RegDataToBits(value);
      RegDataToRegArray(value);
      TakeFreshness(value);
      RegValToDecodedVal(value);
      break;
    case 5:
      TakeFreshness(value);
      if (SlotInRange(value) && !rows[static_cast<std::size_t>(value)].freshness.known) {
        rows[static_cast<std::size_t>(value)].tbRegdata.clear();
      }
      RegDataToBits(value);
      RegDataToUpDown(value);
      RegValToDecodedVal(value);
      break;
    default:
      return;
  }
  RefreshStatusDisplays();
}

void RegisterSlots::RefreshStatusDisplays() const {
  if (hooks_.mainTabDeviceStatusVisible && hooks_.mainTabDeviceStatusVisible() &&
      hooks_.updateMainTabDeviceStatusControls) {
    hooks_.updateMainTabDeviceStatusControls();
  }
  if (hooks_.monitorTabVisible && hooks_.monitorTabVisible() && hooks_.updateMonitorTabControls) {
    hooks_.updateMonitorTabControls();
  }
}

}  // namespace qvm
