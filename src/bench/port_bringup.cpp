// SPDX-License-Identifier: MIT
#include "bench/port_bringup.h"

namespace qvm {

const std::array<PinSetup, 24> kBringUpPins = {{
    {"P0.0 SCL   ", false, true}, {"P0.1 MISO  ", true, true},  {"P0.2 MOSI  ", false, true},
    {"P0.3 CS0   ", true, true},  {"P0.4 TP4SDA", true, false}, {"P0.5 TP5SCL", true, false},
    {"P0.6 DRRDY0", true, false}, {"P0.7 DRRDY1", true, false}, {"P1.0 CS1   ", true, false},
    {"P1.1 C12/14", true, false}, {"P1.2 LE    ", true, false}, {"P1.3 /G    ", true, false},
    {"P1.4 A     ", true, false}, {"P1.5 B     ", true, false}, {"P1.6 C     ", true, false},
    {"P1.7 D     ", true, false}, {"P2.0 M1CTL ", true, false}, {"P2.1 M2CTL ", true, false},
    {"P2.2 FAULT0", true, false}, {"P2.3 FAULT1", true, false}, {"P2.4 J20.1 ", true, false},
    {"P2.5 J29.2 ", true, false}, {"P2.6 J29.3 ", true, false}, {"P2.7 J29.4 ", true, false},
}};

std::array<PortBytes, 3> BringUpPortBytes() {
  std::array<PortBytes, 3> bytes;
  for (auto& port : bytes) port = PortBytes{0, 0};
  for (std::size_t pin = 0; pin < kBringUpPins.size(); ++pin) {
    const auto bit = static_cast<std::uint8_t>(1u << (pin % 8));
    PortBytes& port = bytes[pin / 8];
    if (kBringUpPins[pin].value) port.data |= bit;
    if (kBringUpPins[pin].outputMode) port.outputMode |= bit;
  }
  return bytes;
}

}  // namespace qvm
