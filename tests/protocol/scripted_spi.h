// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "sim/bridge/spi_target.h"

namespace qvm::test {

// An SPI target that answers each packet with the next scripted bytes (nothing when the script
// is empty) and keeps the packets it saw.
class ScriptedSpi final : public sim::SpiTarget {
 public:
  struct Seen {
    std::uint8_t bridgeCommand;
    std::uint8_t header;
    std::vector<std::uint8_t> bytes;
  };

  std::vector<std::uint8_t> Transfer(const sim::SpiPacket& packet) override {
    seen.push_back({packet.bridgeCommand, packet.header,
                    std::vector<std::uint8_t>(packet.bytes.begin(), packet.bytes.end())});
    if (replies.empty()) return {};
    std::vector<std::uint8_t> reply = replies.front();
    replies.pop_front();
    return reply;
  }

  std::deque<std::vector<std::uint8_t>> replies;
  std::vector<Seen> seen;
};

// A 4-byte daisy-chain response frame with its CRC4.
std::vector<std::uint8_t> ResponseFrame(int dev, int cat, int adr, int dat);
// A 3-byte word of a block response with its CRC4.
std::vector<std::uint8_t> BlockWord(int adr, int dat);
// The frames one after the other.
std::vector<std::uint8_t> Concat(const std::vector<std::vector<std::uint8_t>>& frames);

}  // namespace qvm::test
