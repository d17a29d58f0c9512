// SPDX-License-Identifier: MIT
#include "sim/chain/upr_buffer.h"

namespace qvm::sim {

void UprBuffer::Push(Frame frame) {
  if (frames_.size() == kCapacity) frames_.pop_front();
  frames_.push_back(std::move(frame));
}

std::vector<std::uint8_t> UprBuffer::Read(bool chainAnswers) {
  if (!chainAnswers) return {kStatusNoAnswer};
  std::vector<std::uint8_t> reply = {kStatusHealthy};
  for (const Frame& frame : frames_) reply.insert(reply.end(), frame.begin(), frame.end());
  frames_.clear();
  return reply;
}

}  // namespace qvm::sim
