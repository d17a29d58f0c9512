// SPDX-License-Identifier: MIT
#pragma once
#include <array>
#include <cstdint>

namespace qvm {

// Register addresses of one port of the bridge microcontroller.
struct PortRegisters {
  std::uint8_t data;
  std::uint8_t outputMode;
  std::uint8_t inputMode;
};
inline constexpr std::array<PortRegisters, 5> kPorts = {{{0x80, 0xA4, 0xF1},
                                                         {0x90, 0xA5, 0xF2},
                                                         {0xA0, 0xA6, 0xF3},
                                                         {0xB0, 0xA7, 0xF4},
                                                         {0xC7, 0xAE, 0xF5}}};

// One pin of the evaluation board's port set-up: caption, value and output mode.
struct PinSetup {
  const char* caption;
  bool value;
  bool outputMode;
};
// Pins P0.0 .. P2.7 in order.
extern const std::array<PinSetup, 24> kBringUpPins;

// Data and output-mode byte of ports 0..2 after the set-up.
struct PortBytes {
  std::uint8_t data = 0xFF;
  std::uint8_t outputMode = 0;
};
std::array<PortBytes, 3> BringUpPortBytes();

}  // namespace qvm
