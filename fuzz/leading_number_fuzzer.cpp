// SPDX-License-Identifier: MIT
// Feeds arbitrary text to the leading-number rule, the whole-number reading and the roundings
// built on them.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/leading_number.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double value = qvm::LeadingNumber(text);
  const double rounded = qvm::RoundHalfEven(value);
  if (std::isfinite(value) && std::abs(rounded - value) > 0.5) __builtin_trap();
  if (const auto small = qvm::RoundToInt16(value); small && std::abs(*small - rounded) > 0) {
    __builtin_trap();
  }
  // A text that is wholly a number reads as the same number either way.
  if (const auto whole = qvm::WholeNumber(text); whole && *whole != value) __builtin_trap();
  (void)qvm::RoundToInt32(value);
  (void)qvm::ReadHexText(text);
  return 0;
}
