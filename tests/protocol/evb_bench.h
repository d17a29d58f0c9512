// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "core/clock.h"
#include "protocol/session.h"
#include "protocol_fakes.h"
#include "sim/chain/simulated_evb.h"

namespace qvm::test {

// A session on a whole simulated evaluation board (bridge and chain) in virtual time, with the
// installed tab definitions and recording fakes around it.
class EvbBench {
 public:
  // `chainText` as the --sim option takes it, e.g. "daisy:52400x3"; throws on a malformed one.
  explicit EvbBench(const std::string& chainText);

  // Opens the link and identifies the chain for `mode`, as Connect does.
  void Connect(std::uint8_t mode);

  VirtualClock clock;
  HookedHost host;
  CountingPollingTimer timer;
  RecordingView view{timer};
  RecordingFaultRecorder faults;
  sim::SimulatedEvb evb;
  Session session;
};

}  // namespace qvm::test
