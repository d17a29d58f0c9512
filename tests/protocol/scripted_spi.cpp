// SPDX-License-Identifier: MIT
#include "scripted_spi.h"

#include "protocol/crc4.h"

namespace qvm::test {

namespace {
std::uint8_t Byte(int value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}
}  // namespace

std::vector<std::uint8_t> ResponseFrame(int dev, int cat, int adr, int dat) {
  std::vector<std::uint8_t> frame = {Byte((dev << 4) | (cat & 0xF)),
                                     Byte((adr << 2) | ((dat >> 12) & 3)), Byte(dat >> 4),
                                     Byte((dat & 0xF) << 4)};
  AppendCrc4(frame);
  return frame;
}

std::vector<std::uint8_t> BlockWord(int adr, int dat) {
  std::vector<std::uint8_t> frame = {Byte((adr << 2) | ((dat >> 12) & 3)), Byte(dat >> 4),
                                     Byte((dat & 0xF) << 4)};
  AppendCrc4(frame);
  return frame;
}

std::vector<std::uint8_t> Concat(const std::vector<std::vector<std::uint8_t>>& frames) {
  std::vector<std::uint8_t> all;
  for (const auto& frame : frames) all.insert(all.end(), frame.begin(), frame.end());
  return all;
}

}  // namespace qvm::test
