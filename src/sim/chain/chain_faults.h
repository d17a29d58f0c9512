// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

#include "sim/bridge/bridge_faults.h"

namespace qvm::sim {

// Faults the simulated chain can inject, switchable at any time. Each count follows the
// bridge's convention (bridge_faults.h): 0 off, n for the next n occasions, kAlways for every
// one; an occasion is used up only when the fault actually applies.
struct ChainFaults {
  // Daisy-chain replies: the CRC4 of one frame is spoiled (frame index from 0 among the
  // frames of the reply, the last frame when the reply has fewer).
  int badCrc = 0;
  std::size_t badCrcFrame = 0;
  // Daisy-chain replies: one NAK from the first answering device instead of the answer.
  int nakInstead = 0;
  // One device (type, position in the chain from 1) does not answer; the others do.
  int silentDevice = 0;
  int silentType = 0;
  int silentPosition = 1;
  // Identify echoes carry bits 13..12 = 1.
  int wrongIdentifyEcho = 0;
  // Every transfer: the chain neither acts nor answers (the UPR status shows it too).
  int silentChain = 0;
};

}  // namespace qvm::sim
