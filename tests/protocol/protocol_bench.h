// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "core/clock.h"
#include "protocol/session.h"
#include "protocol_fakes.h"
#include "scripted_host.h"
#include "sim/bridge/simulated_board.h"
#include "sim/bridge/simulated_bus.h"

namespace qvm::test {

// A session on a simulated bridge board in virtual time, with recording fakes around it. The
// SPI target behind the board is the caller's.
class ProtocolBench {
 public:
  explicit ProtocolBench(sim::SpiTarget& target);

  // Opens the link (the board is found at once).
  void Connect();
  // Daisy-chain mode in the session and, as its set-up block leaves it, in the bridge.
  void UseDaisyChain();
  // Register kinds of a small, plausible register map for both device types.
  void DefineTestKinds();
  // The last output report the board received.
  const Report& LastSent() const;
  std::size_t SentCount() const { return board->ReceivedReports().size(); }

  VirtualClock clock;
  ScriptedHost host;
  CountingPollingTimer timer;
  RecordingView view{timer};
  RecordingFaultRecorder faults;
  std::shared_ptr<sim::SimulatedBoard> board;
  sim::SimulatedBus bus;
  Session session{bus, host, clock, view, faults, timer};
};

// Register indexes the test kind table defines.
inline constexpr int kReadOnlyReg = 64;      // page 1, address 0
inline constexpr int kUserReg = 150;         // page 2, address 22
inline constexpr int kReadOnlyReg2_5 = 133;  // page 2, address 5
inline constexpr int kCommandReg = 201;      // page 3, address 9 (Identify)

}  // namespace qvm::test
