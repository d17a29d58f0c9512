// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace qvm {

// Upper-case hexadecimal text of `value`, zero-padded on the left to `width` digits; when the
// value has more digits, only the rightmost `width` are kept.
std::string HexDigits(std::uint32_t value, int width);
// The same appended to `out`.
void AppendHexDigits(std::string& out, std::uint32_t value, int width);
// The same written at `out`, which has room for `width` characters; returns their end.
char* WriteHexDigits(char* out, std::uint32_t value, int width);

// Two upper-case hexadecimal digits of a byte.
inline std::string HexByte(std::uint8_t b) {
  return HexDigits(b, 2);
}

// "0x" followed by HexDigits(value, width).
inline std::string Hex0x(std::uint32_t value, int width) {
  return "0x" + HexDigits(value, width);
}

}  // namespace qvm
