// SPDX-License-Identifier: MIT
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace qvm {

// The three registers of a port that the port page shows as rows of pins.
enum class PortRow { Data, OutputMode, InputMode };

// Byte of a row from its eight ticked pins: the sum of 2^i over ticked pins, except that a
// ticked analog pin clears its bit in the input-mode register.
std::uint8_t RowByte(PortRow row, const std::array<bool, 8>& ticked);

// Two upper-case hexadecimal digits.
std::string HexByteText(std::uint8_t value);

// The per-register read-back indicator.
enum class ReadBackLight { Off, LightRed, BrightGreen, DarkGreen };

// After a read: red when the request failed or the read-back differs from the written text;
// otherwise the green toggles so that repeated good reads blink.
ReadBackLight NextReadBackLight(ReadBackLight current, bool sent, const std::string& readText,
                                const std::string& writtenText);

}  // namespace qvm
