// SPDX-License-Identifier: MIT
#include "operations/balance_controls.h"

#include <algorithm>
#include <string>
#include <vector>

#include "model/decoders.h"
#include "model/display_rules.h"
#include "protocol/polling_guard.h"
#include "protocol/register_access.h"

namespace qvm {

namespace {

constexpr std::uint8_t kBalancePage = 2;
constexpr int kAddressSetup = kRegBalanceSetup - kBalancePage * 64;
constexpr int kAddressSwitches = kRegBalanceSwitches - kBalancePage * 64;
constexpr int kAddressTime = kRegBalanceTime - kBalancePage * 64;

// How each setting names itself, asks and where it lives.
struct SettingText {
  const char* handler;
  const char* title;
  const char* question;  // prefix of "... <part> devices?"
  int address;
};

SettingText TextFor(BalanceSetting setting, int value) {
  switch (setting) {
    case BalanceSetting::CellBalanceEnable:
      return {"chkEnableCellBalance_Click", "Configure CB Mode",
              value != 0 ? "Enable Cell Balancing on all connected "
                         : "Disable Cell Balancing on all connected ",
              kAddressSetup};
    case BalanceSetting::Mode:
      return {"cboBalanceMode_Change", "Configure CB Mode",
              "Set Cell Balance Mode on all connected ", kAddressSetup};
    case BalanceSetting::Timeout:
      return {"cboBalanceTimeout_Change", "Configure CB Timeout",
              "Set Cell Balance Timeout on all connected ", kAddressTime};
    case BalanceSetting::Wait:
      return {"cboBalanceWait_Change", "Configure CB Wait Time",
              "Set Cell Balance Wait Time on all connected ", kAddressSetup};
  }
  return {"", "", "", kAddressSetup};
}

std::int16_t NewValue(BalanceSetting setting, std::int16_t v, int value) {
  switch (setting) {
    case BalanceSetting::CellBalanceEnable:
      return BalanceSetupForEnable(v, value != 0);
    case BalanceSetting::Mode:
      return BalanceSetupForMode(v, value);
    case BalanceSetting::Timeout:
      return BalanceTimeForTimeout(v, value);
    case BalanceSetting::Wait:
      return BalanceSetupForWait(v, value);
  }
  return v;
}

// Not connected or no primary device: the message and log line of `handler`; false then.
bool PrimaryDevicesReachable(Session& session, const std::string& handler) {
  const std::string& part = session.state.PartName52400;
  if (!session.bridge.EvbConnected) {
    session.host.ShowMessage(session.bridge.MessageTitle, part + " EVB not connected!");
    session.LogLine(handler + ": EVB not detected. Please check connections.");
    return false;
  }
  if (session.state.DeviceCount52400 == 0) {
    session.host.ShowMessage(session.bridge.MessageTitle, part + " not present!");
    session.LogLine(handler + ": " + part + " not present. Please check connections.");
    return false;
  }
  return true;
}

DeviceCommand BalanceRegister(int device, int address, std::int16_t data = 0) {
  DeviceCommand command;
  command.dev = static_cast<std::uint8_t>(device);
  command.cat = kBalancePage;
  command.adr = static_cast<std::uint8_t>(address);
  command.dat = data;
  command.devType = 0;
  return command;
}

bool SelectedDeviceValid(const Session& session) {
  return session.state.SelectedDevice >= 0 && session.state.SelectedDevice < kDevicesPerType;
}

// The devices a change applies to, ascending.
std::vector<int> DeviceRange(Session& session, const SettingText& text) {
  const int count = std::min<int>(session.state.DeviceCount52400, kDevicesPerType - 1);
  if (!session.state.DaisyChainMode || count <= 1) return {1};
  if (!session.host.AskYesNo(text.title,
                             text.question + session.state.PartName52400 + " devices?")) {
    if (!SelectedDeviceValid(session)) return {};
    return {session.state.SelectedDevice};
  }
  std::vector<int> devices;
  for (int device = 1; device <= count; ++device) devices.push_back(device);
  return devices;
}

}  // namespace

std::int16_t BalanceSetupForEnable(std::int16_t v, bool checked) {
  const int kept = v & 0x1FF;
  return static_cast<std::int16_t>(checked ? (kept | 0x200) : kept);
}

std::int16_t BalanceSetupForMode(std::int16_t v, int mode) {
  int w = v & 0x3FC;
  if (mode == 1 || mode == 2) w &= 0x21F;
  return static_cast<std::int16_t>(w | (mode & 3));
}

std::int16_t BalanceTimeForTimeout(std::int16_t v, int timeout) {
  return static_cast<std::int16_t>((v & 0x7F) | ((timeout & 0x7F) * 0x80));
}

std::int16_t BalanceSetupForWait(std::int16_t v, int wait) {
  return static_cast<std::int16_t>((v & 0x3E3) | ((wait & 7) * 4));
}

bool ChangeBalanceSetting(Session& session, BalanceSetting setting, int value,
                          const BalanceControlsView& paint) {
  if (session.state.SuppressControlEvents) return false;
  const SettingText text = TextFor(setting, value);
  if (!PrimaryDevicesReachable(session, text.handler)) {
    ResumeUprPolling(session);
    return false;
  }
  PauseUprPolling(session);
  const std::vector<int> devices = DeviceRange(session, text);
  session.state.BalanceUpdateInProgress = true;
  for (const int device : devices) {
    DeviceCommand read = BalanceRegister(device, text.address);
    ReadSingleReg(session, read);
    // Without a value of this read the other fields of the register would be overwritten blindly.
    const int reg = kBalancePage * 64 + text.address;
    if (session.image.ReadIn(0, device, reg) != session.exchangeNumber) continue;
    const std::int16_t stored = NewValue(setting, session.image.at(0, device, reg), value);
    session.image.StoreWritten(0, device, reg, stored);
    DeviceCommand write = BalanceRegister(device, text.address, stored);
    WriteSingleReg(session, write);
    if (setting == BalanceSetting::Mode && BalanceButtonsShownForMode(value)) {
      DeviceCommand switches = BalanceRegister(device, kAddressSwitches);
      ReadSingleReg(session, switches);
    }
  }
  session.state.BalanceUpdateInProgress = false;
  if (setting == BalanceSetting::CellBalanceEnable && value != 0) {
    session.polling.SetEnabled(true);
  }
  if (setting == BalanceSetting::Mode) {
    if (BalanceButtonsShownForMode(value)) {
      if (paint.enableCellButtons) paint.enableCellButtons();
      if (paint.refreshCellButtons) paint.refreshCellButtons();
    } else if (paint.disableCellButtons) {
      paint.disableCellButtons();
    }
  }
  ResumeUprPolling(session);
  return !devices.empty();
}

std::optional<bool> ToggleCellBalance(Session& session, int cell, bool on) {
  if (!PrimaryDevicesReachable(session, "cbMainTabBalCtrl_Click")) return std::nullopt;
  if (cell < 0 || cell >= 15 || !SelectedDeviceValid(session)) return std::nullopt;
  PauseUprPolling(session);
  const int device = session.state.SelectedDevice;
  const std::int16_t switches = session.image.at(0, device, kRegBalanceSwitches);
  const int bit = 1 << cell;
  const auto stored = static_cast<std::int16_t>(on ? (switches & ~bit) : (switches | bit));
  session.image.StoreWritten(0, device, kRegBalanceSwitches, stored);
  DeviceCommand write = BalanceRegister(device, kAddressSwitches, stored);
  WriteSingleReg(session, write);
  ResumeUprPolling(session);
  return !on;
}

}  // namespace qvm
