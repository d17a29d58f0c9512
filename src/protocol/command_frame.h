// SPDX-License-Identifier: MIT
#pragma once

#include "protocol/device_command.h"
#include "protocol/session.h"

namespace qvm {

// Header bytes of the SPI packet (report byte 4): bit 6 device type, bit 7 daisy-chain write,
// bits 5..4 set for a UPR buffer read.
inline constexpr std::uint8_t kHeaderCompanion = 0x40;
inline constexpr std::uint8_t kHeaderWrite = 0x80;
inline constexpr std::uint8_t kHeaderUpr52400 = 0x30;
inline constexpr std::uint8_t kHeaderUpr52401 = 0x70;

// Device type 0 or 1 of a command, any other value counting as the companion.
inline int TypeIndex(int devType) {
  return devType != 0 ? 1 : 0;
}

// In daisy-chain mode an all-zero command reads the bridge's UPR buffer of its device type.
bool IsUprBufferRead(const DeviceCommand& command);

// Encodes `command` for the current mode, sends it in one packet exchange and traces both
// directions. In single-device mode a readable register's value lands in `command.dat`. In
// daisy-chain mode an all-zero command reads the bridge's UPR buffer of the device type, and the
// reply is left for the parser. Returns false when nothing was exchanged: not connected, or the
// bridge did not answer (ExchangeFailed), in which case the reply buffer is not interpreted. A
// reply that only the retry brought is recorded as a pipe communication error.
bool SendCommandFrame(Session& session, DeviceCommand& command);

}  // namespace qvm
