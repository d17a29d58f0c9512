// SPDX-License-Identifier: MIT
#include "core/hex.h"

namespace qvm {

void AppendHexDigits(std::string& out, std::uint32_t value, int width) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const std::size_t start = out.size();
  out.append(static_cast<std::size_t>(width), '0');
  for (int i = width - 1; i >= 0; --i) {
    out[start + static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    value >>= 4;
  }
}

std::string HexDigits(std::uint32_t value, int width) {
  std::string text;
  AppendHexDigits(text, value, width);
  return text;
}

}  // namespace qvm
