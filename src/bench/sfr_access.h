// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>

#include "link/bridge.h"

namespace qvm {

// Command of the bridge board that reads or writes one register of its microcontroller.
inline constexpr std::uint8_t kSfrCommand = 0x12;

// Writes `value` to register `address`; no reply is awaited. False when the report could not
// be sent.
bool SfrWrite(Bridge& bridge, std::uint8_t address, std::uint8_t value);

struct SfrReadResult {
  bool sent = false;       // the request left; false paints the status light red
  std::uint8_t value = 0;  // byte 3 of the reply buffer
};

// Reads register `address`, waiting at most the bridge's read time-out; a time-out runs the
// link prompt and the value is whatever the buffer then holds.
SfrReadResult SfrRead(Bridge& bridge, std::uint8_t address);

}  // namespace qvm
