// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace qvm::sim {

// A 256-byte serial EEPROM on the bridge's I2C bus, with one word-address byte and an address
// pointer that moves on with every byte read or written (wrapping at 256).
class I2cEeprom {
 public:
  static constexpr std::uint8_t kAddress = 0xA0;  // 8-bit write address (7-bit 0x50)

  I2cEeprom() { bytes_.fill(0xFF); }

  // A read: the address bytes set the pointer first (the last one counts, so a two-byte address
  // works too); without address bytes the read goes on from the pointer.
  std::vector<std::uint8_t> Read(std::span<const std::uint8_t> addressBytes, std::size_t count);
  // A write: the address bytes set the pointer; without them the first data byte is the word
  // address, as on the wire.
  void Write(std::span<const std::uint8_t> addressBytes, std::span<const std::uint8_t> data);

  std::array<std::uint8_t, 256>& Bytes() { return bytes_; }

 private:
  std::array<std::uint8_t, 256> bytes_{};
  std::uint8_t pointer_ = 0;
};

}  // namespace qvm::sim
