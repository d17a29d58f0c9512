// SPDX-License-Identifier: MIT
#include "operations/balance_values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/hex.h"
#include "model/leading_number.h"
#include "protocol/register_access.h"

namespace qvm {

namespace {

constexpr int kFirstBalanceRegister = 0xA0;
constexpr std::uint32_t kHalfMask = 0x3FFF;
constexpr int kHalfBits = 14;

int LowRegister(int cell) {
  return kFirstBalanceRegister + 2 * cell;
}

DeviceCommand BalanceRegister(int device, int reg) {
  DeviceCommand command;
  command.dev = static_cast<std::uint8_t>(device);
  command.cat = static_cast<std::uint8_t>(reg / 64);
  command.adr = static_cast<std::uint8_t>(reg & 0x3F);
  command.devType = 0;
  return command;
}

bool CellInRange(int cell) {
  return cell >= 0 && cell < kBalanceCells;
}

bool DeviceInRange(int device) {
  return device >= 0 && device < kDevicesPerType;
}

// A number text as the boxes read it: its leading number, low 28 bits of its integer part.
std::uint32_t Low28(double value) {
  if (!std::isfinite(value) || value <= 0) return 0;
  if (value >= 18446744073709551615.0) return kBalanceValueMax;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(value) & kBalanceValueMax);
}

}  // namespace

std::uint32_t BalanceValue(const RegisterImage& image, int device, int cell) {
  if (!CellInRange(cell) || !DeviceInRange(device)) return 0;
  const auto low = static_cast<std::uint32_t>(image.at(0, device, LowRegister(cell))) & kHalfMask;
  const auto high =
      static_cast<std::uint32_t>(image.at(0, device, LowRegister(cell) + 1)) & kHalfMask;
  return (high << kHalfBits) | low;
}

void StoreBalanceValue(RegisterImage& image, int device, int cell, std::uint32_t value) {
  if (!CellInRange(cell) || !DeviceInRange(device)) return;
  value &= kBalanceValueMax;
  image.StoreWritten(0, device, LowRegister(cell), static_cast<std::int16_t>(value & kHalfMask));
  image.StoreWritten(0, device, LowRegister(cell) + 1,
                     static_cast<std::int16_t>(value >> kHalfBits));
}

std::string BalanceHexText(std::uint32_t value) {
  return HexDigits(value & kBalanceValueMax, 7);
}

std::string BalanceDecText(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%09u", static_cast<unsigned>(value & kBalanceValueMax));
  return text;
}

std::uint32_t BalanceValueFromHex(std::string_view text) {
  // Hexadecimal digits beyond 32 bits cannot matter: only the low 28 bits are kept.
  std::uint64_t value = 0;
  for (const char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (digit < 0) break;
    value = ((value << 4) | static_cast<std::uint64_t>(digit)) & 0xFFFFFFFFull;
  }
  return static_cast<std::uint32_t>(value) & kBalanceValueMax;
}

std::uint32_t BalanceValueFromDec(std::string_view text) {
  return Low28(LeadingNumber(text));
}

std::vector<int> BalanceWriteDevices(const Session& session, bool allDevices) {
  if (!session.state.DaisyChainMode) return {1};
  std::vector<int> devices;
  if (allDevices) {
    const int count = std::min<int>(session.state.DeviceCount52400, kDevicesPerType - 1);
    for (int device = 1; device <= count; ++device) devices.push_back(device);
  } else if (DeviceInRange(session.state.SelectedDevice)) {
    devices = {session.state.SelectedDevice};
  }
  return devices;
}

bool BalanceDevicesReachable(Session& session, const std::string& procedure) {
  const std::string& part = session.state.PartName52400;
  if (!session.bridge.EvbConnected) {
    session.host.ShowMessage(session.bridge.MessageTitle, part + " EVB not connected!");
    session.LogLine(procedure + ": EVB not detected. Please check connections.");
    return false;
  }
  if (session.state.DeviceCount52400 == 0) {
    session.host.ShowMessage(session.bridge.MessageTitle, part + " not present!");
    session.LogLine(procedure + ": " + part + " not present. Please check connections.");
    return false;
  }
  return true;
}

bool ReadBalanceValue(Session& session, int cell, const std::string& procedure) {
  if (!BalanceDevicesReachable(session, procedure)) return false;
  const int device = session.state.SelectedDevice;
  if (!CellInRange(cell) || !DeviceInRange(device)) return false;
  for (const int reg : {LowRegister(cell), LowRegister(cell) + 1}) {
    DeviceCommand command = BalanceRegister(device, reg);
    ReadSingleReg(session, command);
  }
  return true;
}

bool WriteBalanceValue(Session& session, int cell, bool allDevices, const std::string& procedure) {
  if (!BalanceDevicesReachable(session, procedure)) return false;
  if (!CellInRange(cell)) return false;
  const std::vector<int> devices = BalanceWriteDevices(session, allDevices);
  for (const int device : devices) {
    for (const int reg : {LowRegister(cell), LowRegister(cell) + 1}) {
      DeviceCommand command = BalanceRegister(device, reg);
      command.dat = session.image.at(0, device, reg);
      WriteSingleReg(session, command);
    }
  }
  return !devices.empty();
}

}  // namespace qvm
