// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace qvm::sim {

// One SPI packet as the simulated bridge clocks it out to whatever sits behind it.
struct SpiPacket {
  std::uint8_t bridgeCommand = 0;       // 21 single device, 22 daisy chain, 23/24 UPR buffer
  std::uint8_t header = 0;              // report byte 4
  std::span<const std::uint8_t> bytes;  // report bytes 5 .. 4+N
};

// What sits behind the simulated bridge's SPI port: the chain of simulated battery-monitor ICs.
class SpiTarget {
 public:
  virtual ~SpiTarget() = default;
  // The bytes clocked in for the packet, in order; they land in reply bytes 5.. and the reply
  // count becomes their number + 1.
  virtual std::vector<std::uint8_t> Transfer(const SpiPacket& packet) = 0;
  // Time passes on the board (scans, balancing); called by the bridge with the current time.
  virtual void Advance(std::int64_t nowMs) { (void)nowMs; }
};

}  // namespace qvm::sim
