// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace qvm {

// One device operation.
struct DeviceCommand {
  std::uint8_t dev = 0;  // device number in the chain, 0..15
  std::uint8_t cat = 0;  // bits 2..0 register page, bit 3 write
  std::uint8_t adr = 0;  // address within the page, 0..63
  std::int16_t dat = 0;  // 14-bit data
  std::vector<std::uint8_t> frame;
  std::int16_t devType = 0;  // 0 = primary IC, 1 = companion IC

  bool IsWrite() const { return (cat & 0x8) != 0; }
  int RegisterIndex() const { return (cat & 7) * 64 + (adr & 63); }
};

// Single-device frame: 3 bytes for a write, 2 for a read (data masked to 6 bits and written back).
void EncodeNonDaisyFrame(std::uint8_t cat, std::uint8_t adr, std::int16_t& dat,
                         std::vector<std::uint8_t>& frame);

// Daisy-chain frame with its CRC4: 4 bytes for a write, 3 for a read.
void EncodeDaisyFrame(std::uint8_t dev, std::uint8_t cat, std::uint8_t adr, std::int16_t& dat,
                      std::vector<std::uint8_t>& frame);

// Decodes a daisy-chain response frame into `command`. A 4-byte frame sets dev, cat, adr and
// dat; a 3-byte frame (inside a block response) sets adr and dat only. Any other length returns
// false and changes nothing; otherwise returns whether the CRC4 is good.
bool DecodeDaisyResponse(DeviceCommand& command, std::span<const std::uint8_t> frame);

}  // namespace qvm
