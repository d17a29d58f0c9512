// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qvm {

// The number at the start of `text`: leading blanks are skipped, then either a decimal number
// (optional sign, digits, optional fraction and exponent) or an "&H" (hexadecimal) or "&O"
// (octal) prefixed integer is read, case-insensitively, up to the first character that cannot
// continue it. Text without a leading number reads as 0. A prefixed integer of up to 16
// significant bits is a signed 16-bit value ("&HFFFF" is -1), of up to 32 bits a signed 32-bit
// value. A number too large to hold reads as +/- infinity.
double LeadingNumber(std::string_view text);

// The number `text` holds when it is nothing else: one number by the rule above, with blanks
// before and after it only. Nothing for an empty field, text without a number ("hot", "nan",
// "inf") and a number followed by more text ("12abc").
std::optional<double> WholeNumber(std::string_view text);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

// RoundHalfEven as a 16-bit or 32-bit integer; nothing when the value does not fit.
std::optional<std::int16_t> RoundToInt16(double value);
std::optional<std::int32_t> RoundToInt32(double value);

// A hexadecimal text as the register editor reads it: "&H" put in front, the leading number
// taken as a 32-bit integer. Up to four significant digits form a 16-bit value, so "8000" ..
// "FFFF" read as negative numbers. Nothing when the value does not fit in 32 bits.
std::optional<std::int32_t> ReadHexText(std::string_view text);

}  // namespace qvm
