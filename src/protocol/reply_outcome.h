// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace qvm {

// What an exchange is to bring: the devices of one type that are to answer and the registers
// each of them is to send back (none for a write or a command).
struct ExchangeTarget {
  int type = 0;
  std::uint16_t devices = 0;  // bit d: device d is to answer
  int firstAddress = 0;       // registers firstAddress .. firstAddress + count - 1
  int count = 0;
};

// What the last reply brought: which devices of its type answered in full and which errors the
// parser met. Every exchange starts it afresh, so a caller can tell a new value from a stale one.
struct ReplyOutcome {
  // The bridge carried the request and answered it.
  bool exchanged = false;
  std::uint16_t answered = 0;  // bit d: device d sent its whole answer
  std::uint16_t missing = 0;   // bit d: an answer expected from device d did not come, or short
  bool crcError = false;
  bool nack = false;
  bool unrecognized = false;
  // The register the request named arrived from the device it addressed.
  bool requestAnswered = false;
  // Its value, when it was a single register.
  std::int16_t requestValue = 0;

  bool Clean() const { return !crcError && !nack && !unrecognized && missing == 0; }
};

}  // namespace qvm
