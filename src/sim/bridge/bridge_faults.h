// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace qvm::sim {

// A fault count: how many replies (or writes) a fault still affects. 0 is off, a positive number
// affects that many more, kAlways affects every one from now on.
inline constexpr int kAlways = -1;

// The faults a simulated bridge board can inject, switchable at any time.
struct BridgeFaults {
  int dropReplies = 0;    // any reply: never queued
  int wrongSequence = 0;  // SPI packet replies: byte 2 holds another sequence number
  int zeroSequence = 0;   // SPI packet replies: byte 2 = 0
  int wrongReportId = 0;  // SPI packet replies: byte 0 holds another report id than 1
  int shortReplies = 0;   // SPI packet replies: count byte lowered to shortReplyCount
  std::uint8_t shortReplyCount = 1;
  // Set-up block read-backs: a stray SPI packet reply, the last one sent again, is queued ahead
  // of the set-up block.
  int strayBeforeSetupRead = 0;
  int failWrites = 0;  // writes: Write returns false and the board never sees the report
  std::int64_t replyLatencyMs = 0;  // time from a write to its reply being readable
};

// True when the fault applies now; uses up one of its count.
inline bool TakeFault(int& count) {
  if (count == 0) return false;
  if (count > 0) --count;
  return true;
}

}  // namespace qvm::sim
