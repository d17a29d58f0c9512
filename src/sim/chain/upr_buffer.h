// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "sim/chain/response_frames.h"

namespace qvm::sim {

// The bridge's buffer of unprompted responses of one device type: the fault reports the
// devices sent by themselves. Read by bridge commands 23 (type 0) and 24 (type 1).
//
// Reply: one status byte, then the buffered 4-byte frames, oldest first; reading empties the
// buffer. Status bits: 7 = the bridge's own polling runs, 3 = the chain answers it. So 0x88 is
// healthy (a type without numbered devices has nothing to poll and is healthy too), 0x80 a
// chain that does not answer; then the buffer is kept for a later read.
class UprBuffer {
 public:
  static constexpr std::uint8_t kStatusHealthy = 0x88;
  static constexpr std::uint8_t kStatusNoAnswer = 0x80;
  // What fits into one reply beside the status byte; older frames make room for newer ones.
  static constexpr std::size_t kCapacity = 14;

  void Push(Frame frame);
  std::size_t Size() const { return frames_.size(); }
  // The reply for a chain that answers or not; the buffer is emptied only when it answers.
  std::vector<std::uint8_t> Read(bool chainAnswers);

 private:
  std::deque<Frame> frames_;
};

}  // namespace qvm::sim
