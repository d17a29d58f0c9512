// SPDX-License-Identifier: MIT
#include "protocol/crc4.h"

namespace qvm {

namespace {
std::uint8_t ShiftIn(std::uint8_t r, int bit) {
  const bool top = (r & 0x8) != 0;
  r = static_cast<std::uint8_t>(((r << 1) & 0xF) | bit);
  return top ? static_cast<std::uint8_t>(r ^ 0x3) : r;
}
}  // namespace

std::uint8_t Crc4(std::span<const std::uint8_t> frame) {
  std::uint8_t r = 0;
  for (std::size_t i = 0; i < frame.size(); ++i) {
    const int bits = i + 1 == frame.size() ? 4 : 8;
    for (int k = 7; k >= 8 - bits; --k) r = ShiftIn(r, (frame[i] >> k) & 1);
  }
  return r;
}

void AppendCrc4(std::span<std::uint8_t> frame) {
  if (frame.empty()) return;
  std::uint8_t& last = frame.back();
  last = static_cast<std::uint8_t>((last & 0xF0) | Crc4(frame));
}

bool CheckCrc4(std::span<const std::uint8_t> frame) {
  return !frame.empty() && (frame.back() & 0x0F) == Crc4(frame);
}

}  // namespace qvm
