// SPDX-License-Identifier: MIT
#include "core/number_text.h"

#include <charconv>

namespace qvm {

std::optional<std::uint32_t> ParseNumberText(std::string_view text, std::uint32_t max) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  std::uint64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > max) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

}  // namespace qvm
