// SPDX-License-Identifier: MIT
#include "model/display_rules.h"

#include <algorithm>
#include <cctype>

#include "model/decoders.h"

namespace qvm {
namespace {

inline constexpr int kRegOverVoltageFaults = 0x80;
inline constexpr int kRegUnderVoltageFaults = 0x81;
inline constexpr int kRegOpenWireFaults = 0x82;
inline constexpr int kRegFaultStatus = 0x84;
inline constexpr int kRegCellSetup = 0x85;
inline constexpr int kVbatOpenWireBit = 8;
inline constexpr int kVssOpenWireBit = 9;

// A value never read, or of a device number outside the register image (a corrupt selection),
// reads as zero: its indicators stay off.
std::int16_t Raw(const RegisterImage& image, int devType, int device, int address) {
  if (!FreshnessOf(image, devType, device, address).known) {
    return 0;
  }
  return image.at(devType, device, address);
}

// A register's value as `text` shows its raw value, blank when the image does not know it.
template <typename Text>
ShownValue Show(const RegisterImage& image, int devType, int device, int address, Text text) {
  ShownValue shown{{}, FreshnessOf(image, devType, device, address)};
  if (shown.freshness.known) shown.text = text(image.at(devType, device, address));
  return shown;
}

bool BitSet(std::int16_t value, int bit) {
  return (value & (1 << bit)) != 0;
}

Colour FaultColour(bool fault) {
  return fault ? Colour::Red : Colour::Grey;
}

// Fault bits of one register, red where set while devices of that type are on the chain.
template <std::size_t N>
void FillFaults(std::array<Colour, N>& leds, std::size_t first, int count, std::int16_t bits,
                bool present) {
  for (int bit = 0; bit < count; ++bit) {
    leds[first + static_cast<std::size_t>(bit)] = FaultColour(present && BitSet(bits, bit));
  }
}

MainTabBalance ComputeBalance(const RegisterImage& image, const SharedState& state) {
  const int device = state.SelectedDevice;
  const std::int16_t setup = Raw(image, 0, device, kRegBalanceSetup);
  MainTabBalance balance;
  balance.modeIndex = BalanceMode(setup);
  balance.waitIndex = BalanceWait(setup);
  balance.timeoutIndex = BalanceTimeout(Raw(image, 0, device, kRegBalanceTime));
  balance.enabled = BalanceEnabled(setup);
  balance.buttons = RefreshMainTabBalCtrlButtons(image, state);
  return balance;
}

}  // namespace

bool BalanceButtonsShownForMode(int mode) {
  return mode == 1 || mode == 2;
}

void EnableMainTabBalCtrlButtons(BalanceButtons& buttons) {
  for (auto& button : buttons) {
    button.visible = true;
    button.enabled = true;
  }
}

void DisableMainTabBalCtrlButtons(BalanceButtons& buttons) {
  for (auto& button : buttons) {
    button.visible = false;
    button.enabled = false;
  }
}

BalanceButtons RefreshMainTabBalCtrlButtons(const RegisterImage& image, const SharedState& state) {
  const int device = state.SelectedDevice;
  BalanceButtons buttons{};
  if (BalanceButtonsShownForMode(BalanceMode(Raw(image, 0, device, kRegBalanceSetup)))) {
    EnableMainTabBalCtrlButtons(buttons);
  } else {
    DisableMainTabBalCtrlButtons(buttons);
  }
  const std::int16_t switches = Raw(image, 0, device, kRegBalanceSwitches);
  const bool present = state.DeviceCount52400 > 0;
  for (int cell = 0; cell < kCellsPerDevice; ++cell) {
    auto& button = buttons[static_cast<std::size_t>(cell)];
    const bool on = present && BalanceSwitch(switches, cell);
    button.caption = on ? "On" : "Off";
    button.background = on ? ButtonBackground::Yellow : ButtonBackground::ButtonFace;
  }
  return buttons;
}

bool CompanionConfigured(const SharedState& state) {
  std::string name = state.PartName52401;
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return !name.empty() && name != "NONE";
}

MainTabDeviceStatus ComputeMainTabDeviceStatus(const RegisterModel& model,
                                               const RegisterImage& image, const SharedState& state,
                                               char decimalSeparator) {
  const int nA = state.DeviceCount52400;
  const int nB = state.DeviceCount52401;
  const int device = state.SelectedDevice;
  const bool hasA = nA > 0;
  const bool hasB = nB > 0;
  const auto raw0 = [&](int address) { return Raw(image, 0, device, address); };
  const auto raw1 = [&](int address) { return Raw(image, 1, device, address); };
  const auto volts = [&](double value) { return FormatVoltage(value, decimalSeparator); };
  const auto degrees = [&](double value) { return FormatTemperature(value, decimalSeparator); };
  const auto show0 = [&](int address, auto text) { return Show(image, 0, device, address, text); };

  const bool setupKnown0 = FreshnessOf(image, 0, device, kRegCellSetup).known;
  const bool setupKnown1 = FreshnessOf(image, 1, device, kRegCellSetup).known;

  MainTabDeviceStatus status;
  status.companionShown = CompanionConfigured(state);

  for (int cell = 0; cell < kCellsPerDevice; ++cell) {
    const auto a = static_cast<std::size_t>(cell);
    const auto b = static_cast<std::size_t>(cell + kCellsPerDevice);
    // A set setup bit marks an unused cell input; a setup never read shows none in use.
    status.cellSetup[a] =
        (BitSet(raw0(kRegCellSetup), cell) || !hasA || !setupKnown0) ? Colour::Grey : Colour::Green;
    status.cellSetup[b] =
        (BitSet(raw1(kRegCellSetup), cell) || !hasB || !setupKnown1) ? Colour::Grey : Colour::Green;
  }
  FillFaults(status.cellOV, 0, kCellsPerDevice, raw0(kRegOverVoltageFaults), hasA);
  FillFaults(status.cellOV, kCellsPerDevice, kCellsPerDevice, raw1(kRegOverVoltageFaults), hasB);
  FillFaults(status.cellUV, 0, kCellsPerDevice, raw0(kRegUnderVoltageFaults), hasA);
  FillFaults(status.cellUV, kCellsPerDevice, kCellsPerDevice, raw1(kRegUnderVoltageFaults), hasB);
  FillFaults(status.cellOW, 0, kOpenWireBits, raw0(kRegOpenWireFaults), hasA);
  status.vssOW = FaultColour(hasA && BitSet(raw0(kRegFaultStatus), kVssOpenWireBit));
  status.vbatOW = FaultColour(hasA && BitSet(raw0(kRegFaultStatus), kVbatOpenWireBit));

  if (hasA) {
    for (int cell = 0; cell < kCellsPerDevice; ++cell) {
      status.cellVoltage[static_cast<std::size_t>(cell)] = show0(
          kRegCell1 + cell, [&](std::int16_t raw) { return volts(DecodeCellVoltage(model, raw)); });
    }
    status.vbatVoltage =
        show0(kRegVbat, [&](std::int16_t raw) { return volts(DecodeVbatVoltage(model, raw)); });
    status.temperatures[0] = show0(kRegInternalTemp, [&](std::int16_t raw) {
      return degrees(DecodeInternalTemp(model, state, raw));
    });
    for (int input = 0; input < 4; ++input) {
      status.temperatures[static_cast<std::size_t>(input + 1)] =
          show0(kRegExternalTemp1 + input,
                [&](std::int16_t raw) { return volts(DecodeExternalTemp(model, raw)); });
    }
    status.ovLimit = show0(kRegOverVoltageLimit, [&](std::int16_t raw) {
      return volts(DecodeOverVoltageLimit(model, raw));
    });
    status.uvLimit = show0(kRegUnderVoltageLimit, [&](std::int16_t raw) {
      return volts(DecodeUnderVoltageLimit(model, raw));
    });
    status.itLimit = show0(kRegInternalTempLimit, [&](std::int16_t raw) {
      return degrees(DecodeInternalTempLimit(model, state, raw));
    });
  }

  if (!state.BalanceUpdateInProgress) {
    status.balance = ComputeBalance(image, state);
  }

  double total = 0;
  Freshness totalFreshness;
  for (int slot = 0; slot < kChainDevices; ++slot) {
    const auto a = static_cast<std::size_t>(slot);
    const auto b = static_cast<std::size_t>(slot + kChainDevices);
    const int number = slot + 1;
    status.devicePresent[a] = slot < nA ? Colour::Green : Colour::Grey;
    status.devicePresent[b] = slot < nB ? Colour::Green : Colour::Grey;
    status.deviceFault[a] = FaultColour(slot < nA && Raw(image, 0, number, kRegFaultStatus) != 0);
    status.deviceFault[b] = FaultColour(slot < nB && Raw(image, 1, number, kRegFaultStatus) != 0);
    if (slot < nA) {
      const double vbat = DecodeVbatVoltage(model, Raw(image, 0, number, kRegVbat));
      const Freshness freshness = FreshnessOf(image, 0, number, kRegVbat);
      if (freshness.known) status.deviceVbat[a] = {volts(vbat), freshness};
      totalFreshness = slot == 0 ? freshness : Combined(totalFreshness, freshness);
      total += vbat;
    }
  }
  if (hasA && totalFreshness.known) {
    status.stackVoltage = {volts(total), totalFreshness};
  }
  return status;
}

MonitorTabStatus ComputeMonitorTabStatus(const RegisterModel& model, const RegisterImage& image,
                                         const SharedState& state, char decimalSeparator) {
  const int nA = state.DeviceCount52400;
  const int nB = state.DeviceCount52401;
  const bool hasA = nA > 0;
  const bool hasB = nB > 0;

  MonitorTabStatus status;
  status.companionShown = CompanionConfigured(state);
  for (int frameIndex = 0; frameIndex < kMonitorFrames; ++frameIndex) {
    auto& frame = status.frames[static_cast<std::size_t>(frameIndex)];
    const int number = frameIndex + 1;
    const auto raw0 = [&](int address) { return Raw(image, 0, number, address); };
    const auto raw1 = [&](int address) { return Raw(image, 1, number, address); };

    frame.shown = frameIndex == 0 || number <= nA || number <= nB;
    FillFaults(frame.ov52400, 0, kCellsPerDevice, raw0(kRegOverVoltageFaults), hasA);
    FillFaults(frame.ov52401, 0, kCellsPerDevice, raw1(kRegOverVoltageFaults), hasB);
    FillFaults(frame.uv52400, 0, kCellsPerDevice, raw0(kRegUnderVoltageFaults), hasA);
    FillFaults(frame.uv52401, 0, kCellsPerDevice, raw1(kRegUnderVoltageFaults), hasB);
    FillFaults(frame.ow52400, 0, kOpenWireBits, raw0(kRegOpenWireFaults), hasA);
    frame.vssOW = FaultColour(hasA && BitSet(raw0(kRegFaultStatus), kVssOpenWireBit));
    frame.vbatOW = FaultColour(hasA && BitSet(raw0(kRegFaultStatus), kVbatOpenWireBit));
    if (hasA) {
      for (int cell = 0; cell < kCellsPerDevice; ++cell) {
        frame.cellVoltage[static_cast<std::size_t>(cell)] =
            Show(image, 0, number, kRegCell1 + cell, [&](std::int16_t raw) {
              return FormatVoltage(DecodeCellVoltage(model, raw), decimalSeparator);
            });
      }
      frame.vbatVoltage = Show(image, 0, number, kRegVbat, [&](std::int16_t raw) {
        return FormatVoltage(DecodeVbatVoltage(model, raw), decimalSeparator);
      });
    }
  }
  return status;
}

}  // namespace qvm
