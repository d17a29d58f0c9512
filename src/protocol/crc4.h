// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

namespace qvm {

// CRC4 of a daisy-chain frame: the frame's bits, most significant first, without the low nibble
// of the last byte (where the CRC itself travels), divided by x^4 + x + 1; no initial value, no
// appended zeros, no final inversion.
std::uint8_t Crc4(std::span<const std::uint8_t> frame);

// Puts the CRC4 into the low nibble of the last byte, keeping its high nibble.
void AppendCrc4(std::span<std::uint8_t> frame);

// True when the low nibble of the last byte equals the frame's CRC4.
bool CheckCrc4(std::span<const std::uint8_t> frame);

}  // namespace qvm
