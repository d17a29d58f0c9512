// SPDX-License-Identifier: MIT
#include "operations/balance_sequence.h"

#include <algorithm>
#include <vector>

#include "model/decoders.h"
#include "operations/balance_values.h"
#include "protocol/register_access.h"

namespace qvm {

namespace {

constexpr std::uint8_t kBalancePage = 2;

DeviceCommand BalanceRegister(int device, int reg, std::int16_t data = 0) {
  DeviceCommand command;
  command.dev = static_cast<std::uint8_t>(device);
  command.cat = kBalancePage;
  command.adr = static_cast<std::uint8_t>(reg & 0x3F);
  command.dat = data;
  command.devType = 0;
  return command;
}

int ClampedBank(int bank) {
  return std::clamp(bank, 0, kBalanceBanks - 1);
}

// Reads the setup register of `device` and writes it back with `bank` selected; false when the
// device did not get the selection.
bool SelectBank(Session& session, int device, int bank) {
  DeviceCommand read = BalanceRegister(device, kRegBalanceSetup);
  ReadSingleReg(session, read);
  // Without a value of this read the other fields of the register would be overwritten blindly.
  if (session.image.ReadIn(0, device, kRegBalanceSetup) != session.exchangeNumber) return false;
  const std::int16_t setup =
      SetupSelectingBank(session.image.at(0, device, kRegBalanceSetup), bank);
  DeviceCommand write = BalanceRegister(device, kRegBalanceSetup, setup);
  WriteSingleReg(session, write);
  if (!WriteAcknowledged(session, device)) return false;
  session.image.StoreWritten(0, device, kRegBalanceSetup, setup);
  return true;
}

bool DeviceValid(int device) {
  return device >= 0 && device < kDevicesPerType;
}

}  // namespace

std::int16_t SetupSelectingBank(std::int16_t setup, int bank) {
  return static_cast<std::int16_t>((setup & 0x21F) + ClampedBank(bank) * 32);
}

std::optional<std::int16_t> ReadBalanceBankOf(Session& session, int device, int bank) {
  if (!DeviceValid(device)) return std::nullopt;
  bank = ClampedBank(bank);
  const std::int16_t before =
      session.state
          .BalanceStatusImage[static_cast<std::size_t>(device)][static_cast<std::size_t>(bank)];
  // Without the selection the status register holds another bank.
  if (!SelectBank(session, device, bank)) {
    session.state.KeepBalanceBank(device, bank, before, false);
    return std::nullopt;
  }
  DeviceCommand status = BalanceRegister(device, kRegBalanceSwitches);
  ReadSingleReg(session, status);
  if (session.image.ReadIn(0, device, kRegBalanceSwitches) != session.exchangeNumber) {
    session.state.KeepBalanceBank(device, bank, before, false);
    return std::nullopt;
  }
  const std::int16_t value = session.image.at(0, device, kRegBalanceSwitches);
  session.state.KeepBalanceBank(device, bank, value, true);
  return value;
}

std::optional<std::int16_t> ReadBalanceBank(Session& session, int bank,
                                            const std::string& procedure) {
  if (!BalanceDevicesReachable(session, procedure)) return std::nullopt;
  return ReadBalanceBankOf(session, session.state.SelectedDevice, bank);
}

bool WriteBalanceBank(Session& session, int bank, std::int16_t value, bool allDevices,
                      const std::string& procedure) {
  if (!BalanceDevicesReachable(session, procedure)) return false;
  bank = ClampedBank(bank);
  const std::vector<int> devices = BalanceWriteDevices(session, allDevices);
  for (const int device : devices) {
    // A bank the device did not select would take the value in its place.
    if (!SelectBank(session, device, bank)) continue;
    DeviceCommand write = BalanceRegister(device, kRegBalanceSwitches, value);
    WriteSingleReg(session, write);
    const bool written = WriteAcknowledged(session, device);
    session.state.KeepBalanceBank(device, bank, value, written);
    if (written) session.image.StoreWritten(0, device, kRegBalanceSwitches, value);
  }
  return !devices.empty();
}

}  // namespace qvm
