// SPDX-License-Identifier: MIT
#include "bench/port_bits.h"

#include <cstdio>

namespace qvm {

std::uint8_t RowByte(PortRow row, const std::array<bool, 8>& ticked) {
  unsigned sum = 0;
  for (unsigned i = 0; i < 8; ++i) {
    if (ticked[i]) sum += 1u << i;
  }
  return static_cast<std::uint8_t>(row == PortRow::InputMode ? 255 - sum : sum);
}

std::string HexByteText(std::uint8_t value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

ReadBackLight NextReadBackLight(ReadBackLight current, bool sent, const std::string& readText,
                                const std::string& writtenText) {
  if (!sent || readText != writtenText) return ReadBackLight::LightRed;
  return current == ReadBackLight::BrightGreen ? ReadBackLight::DarkGreen
                                               : ReadBackLight::BrightGreen;
}

}  // namespace qvm
