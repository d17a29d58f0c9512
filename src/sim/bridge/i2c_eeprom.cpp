// SPDX-License-Identifier: MIT
#include "sim/bridge/i2c_eeprom.h"

namespace qvm::sim {

std::vector<std::uint8_t> I2cEeprom::Read(std::span<const std::uint8_t> addressBytes,
                                          std::size_t count) {
  if (!addressBytes.empty()) pointer_ = addressBytes.back();
  std::vector<std::uint8_t> out;
  out.reserve(count);
  for (std::size_t i = 0; i < count; ++i) out.push_back(bytes_[pointer_++]);
  return out;
}

void I2cEeprom::Write(std::span<const std::uint8_t> addressBytes,
                      std::span<const std::uint8_t> data) {
  if (!addressBytes.empty()) {
    pointer_ = addressBytes.back();
  } else if (!data.empty()) {
    pointer_ = data.front();
    data = data.subspan(1);
  }
  for (std::uint8_t byte : data) bytes_[pointer_++] = byte;
}

}  // namespace qvm::sim
