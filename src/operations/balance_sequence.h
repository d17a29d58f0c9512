// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "protocol/session.h"

namespace qvm {

// The balance setup value that selects `bank` (0..12) in bits 5..8, keeping bits 0..4 and 9.
std::int16_t SetupSelectingBank(std::int16_t setup, int bank);

// Reads bank `bank` (clamped to 0..12) of primary device `device`: the setup register, the bank
// selection written back, then the status register. The bank's value, also kept in
// BalanceStatusImage; nothing when any of the three exchanges failed, and the bank is then
// marked as not known.
std::optional<std::int16_t> ReadBalanceBankOf(Session& session, int device, int bank);

// The same for the selected device; nothing also when the console cannot reach a primary device.
std::optional<std::int16_t> ReadBalanceBank(Session& session, int bank,
                                            const std::string& procedure);

// Writes `value` into bank `bank` (clamped to 0..12): to every primary device when `allDevices`
// in daisy-chain mode, else to the selected device (device 1 in single-device mode). A device
// that did not select the bank gets no value. False when nothing was written.
bool WriteBalanceBank(Session& session, int bank, std::int16_t value, bool allDevices,
                      const std::string& procedure);

}  // namespace qvm
