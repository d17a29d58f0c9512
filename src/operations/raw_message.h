// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/device_command.h"
#include "protocol/session.h"

namespace qvm {

// The raw message sender's fields as typed, hexadecimal: device address (1 digit, daisy-chain
// only), data type (category, 1 digit), data address (2 digits) and data (4 digits).
struct RawMessageFields {
  std::string device = "0";
  std::string category = "0";
  std::string address = "00";
  std::string data = "0000";
};

inline constexpr std::array<std::size_t, 5> kRawFieldDigits = {1, 1, 2, 4, 1};

// The command the fields describe, with its encoded frame (2, 3 or 4 bytes).
struct RawMessage {
  DeviceCommand command;
  std::vector<std::uint8_t> encoded;
  // Daisy-chain mode: the CRC4 carried in the low bits of the last byte.
  std::uint8_t crc4 = 0;
};

// Encodes the fields as the daisy-chain or single-device frame; the device field takes part in
// daisy-chain mode only (device 0 otherwise).
RawMessage EncodeRawMessage(const RawMessageFields& fields, bool daisyChain);

// Sends the fields to device type `devType`: a category below 8 as a register read, 8 and above
// as a write. Not connected or type absent: message and log line, nothing sent.
void SendRawMessage(Session& session, const RawMessageFields& fields, int devType);

}  // namespace qvm
