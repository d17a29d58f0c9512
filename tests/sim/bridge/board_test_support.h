// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "link/hid_device.h"
#include "sim/bridge/spi_target.h"

namespace qvm::sim::test {

// An output report: report id 1, then `bytes` from byte 1 on, the rest 0.
inline Report Request(std::initializer_list<std::uint8_t> bytes) {
  Report report{};
  report[0] = 1;
  std::size_t i = 1;
  for (std::uint8_t b : bytes) report[i++] = b;
  return report;
}

// The set-up block (command 20) with the daisy-chain bit set or clear.
inline Report SetupBlock(bool daisy) {
  return Request({20, 0, 0xFF, 0xFF, 0x80, 0x03, static_cast<std::uint8_t>(daisy ? 0x80 : 0x00),
                  0x00, 2, 0x29, 0x30});
}

// An SPI packet as the target saw it, with its bytes copied out of the report.
struct SeenPacket {
  std::uint8_t bridgeCommand;
  std::uint8_t header;
  std::vector<std::uint8_t> bytes;
  std::int64_t advancedToMs;  // the last time given to Advance before the transfer
};

// Records every packet and answers each one with `answer`.
class RecordingTarget final : public SpiTarget {
 public:
  std::vector<std::uint8_t> Transfer(const SpiPacket& packet) override {
    seen.push_back({packet.bridgeCommand, packet.header,
                    std::vector<std::uint8_t>(packet.bytes.begin(), packet.bytes.end()),
                    lastAdvanceMs});
    return answer;
  }
  void Advance(std::int64_t nowMs) override {
    lastAdvanceMs = nowMs;
    ++advances;
  }

  std::vector<std::uint8_t> answer;
  std::vector<SeenPacket> seen;
  std::int64_t lastAdvanceMs = -1;
  int advances = 0;
};

}  // namespace qvm::sim::test
