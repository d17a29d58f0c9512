// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/clock.h"
#include "link/hid_device.h"
#include "sim/bridge/spi_target.h"

namespace qvm::sim {

// The bridge's SPI master: clocks the packets of commands 21..24 through the target, or, with
// no target, through a loopback that clocks in exactly the bytes clocked out.
//
// Packet request: 2 sequence (1..7), 3 N, 4 header, 5..4+N data (at most 59).
// Reply: 2 sequence echo, 3 R = clocked-in bytes + 1, 4 = 0, 5.. clocked-in bytes (at most 59).
//
// Command 22 with sequence 0 is the bench's raw SPI write: 3 = 1 to read back, 4 and 5 clock
// phase change flag and byte index (not modelled), 6 N, 7..6+N data (at most 57). It is
// clocked out with header 0; when read back is asked for, the reply has the packet layout with
// sequence 0.
class SpiPort {
 public:
  static constexpr std::size_t kMaxDataBytes = 59;
  static constexpr std::size_t kMaxRawBytes = 57;

  SpiPort(Clock& clock, SpiTarget* target) : clock_(clock), target_(target) {}

  // True for the commands this port answers.
  static bool IsPacketCommand(std::uint8_t command) { return command >= 21 && command <= 24; }

  std::optional<Report> Handle(const Report& request);

 private:
  std::vector<std::uint8_t> ClockThrough(const SpiPacket& packet);

  Clock& clock_;
  SpiTarget* target_;
};

}  // namespace qvm::sim
