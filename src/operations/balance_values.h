// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/session.h"

namespace qvm {

inline constexpr int kBalanceCells = 12;
inline constexpr std::uint32_t kBalanceValueMax = 0xFFFFFFF;

// A cell's 28-bit balance value, kept in a pair of 14-bit registers (low at 0xA0 + 2 * cell,
// high at the register after it) of a primary device.
std::uint32_t BalanceValue(const RegisterImage& image, int device, int cell);
void StoreBalanceValue(RegisterImage& image, int device, int cell, std::uint32_t value);

// The value boxes: 7 hexadecimal or 9 decimal digits, zero-padded; a text is read by its
// leading number and keeps its low 28 bits.
std::string BalanceHexText(std::uint32_t value);
std::string BalanceDecText(std::uint32_t value);
std::uint32_t BalanceValueFromHex(std::string_view text);
std::uint32_t BalanceValueFromDec(std::string_view text);

// Reads both registers of `cell` of the selected device. Not connected or no primary device:
// message and "<procedure>: ..." log line, nothing read; false then.
bool ReadBalanceValue(Session& session, int cell, const std::string& procedure);
// Writes both registers of `cell` from the register image: to every primary device when
// `allDevices` in daisy-chain mode, else to the selected device (device 1 in single-device mode).
bool WriteBalanceValue(Session& session, int cell, bool allDevices, const std::string& procedure);
// The primary devices a balancing write goes to, ascending: every device when `allDevices` in
// daisy-chain mode, else the selected device; device 1 in single-device mode.
std::vector<int> BalanceWriteDevices(const Session& session, bool allDevices);
// The connection and presence checks alone, for the buttons that loop over the cells.
bool BalanceDevicesReachable(Session& session, const std::string& procedure);

}  // namespace qvm
