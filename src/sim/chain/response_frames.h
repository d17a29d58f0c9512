// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qvm::sim {

using Frame = std::vector<std::uint8_t>;

// A daisy-chain request as the bottom device decodes it: a 3-byte read (6 data bits) or a
// 4-byte write (14 data bits).
struct ChainRequest {
  int dev = 0;
  int cat = 0;  // page in bits 2..0, write flag in bit 3
  int adr = 0;
  int dat = 0;
  bool crcGood = false;

  int Page() const { return cat & 7; }
  int Index() const { return Page() * 64 + adr; }
  bool IsWrite() const { return (cat & 8) != 0; }
};

// Decodes the first 3 (read) or 4 (write) bytes; nothing when fewer bytes came.
std::optional<ChainRequest> DecodeChainRequest(std::span<const std::uint8_t> bytes, bool write);

// A 4-byte response frame: dev, cat (page), adr, 14-bit data, CRC4.
Frame ResponseFrame(int dev, int cat, int adr, int data);
// A 3-byte word of a block response: adr, 14-bit data, CRC4 over its own three bytes.
Frame BlockWordFrame(int adr, int data);
Frame AckFrame(int dev);
Frame NakFrame(int dev);

// A block read: the register address of the first word and the number of words. The device
// returns the words at descending addresses of the request's page, first .. first - words + 1,
// so that the volts block (page 1 address 15) carries cells 12 .. 1 and the pack voltage.
struct BlockRead {
  int firstAddress = 0;
  int words = 0;
};

// The block read answering a read of (page, address) on a device type, if there is one.
std::optional<BlockRead> FindBlockRead(int type, int page, int adr);

}  // namespace qvm::sim
