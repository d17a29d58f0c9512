// SPDX-License-Identifier: MIT
#include "core/hex.h"

namespace qvm {

void AppendHexDigits(std::string& out, std::uint32_t value, int width) {
  const std::size_t start = out.size();
  out.resize(start + static_cast<std::size_t>(width));
  WriteHexDigits(out.data() + start, value, width);
}

char* WriteHexDigits(char* out, std::uint32_t value, int width) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int i = width - 1; i >= 0; --i) {
    out[i] = kDigits[value & 0xF];
    value >>= 4;
  }
  return out + width;
}

std::string HexDigits(std::uint32_t value, int width) {
  std::string text;
  AppendHexDigits(text, value, width);
  return text;
}

}  // namespace qvm
