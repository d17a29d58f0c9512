// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/clock.h"
#include "sim/bridge/simulated_board.h"
#include "sim/bridge/simulated_bus.h"
#include "sim/chain/chain_layout.h"
#include "sim/chain/simulated_chain.h"
#include "sim/faults/fault_plan.h"

namespace qvm::sim {

// A whole simulated evaluation board: a bus with one bridge board whose SPI port drives a
// simulated chain. The pieces stay reachable for tests (fault injection, cell model) and for
// the programs' `--sim CHAIN` option.
struct SimulatedEvb {
  static constexpr const char* kBoardPath = "sim:evb";

  std::shared_ptr<SimulatedBus> bus;
  std::shared_ptr<SimulatedBoard> board;
  std::shared_ptr<SimulatedChain> chain;
  // The --sim-faults plan the board consults (MakeSimulatedSource); null when built without.
  std::shared_ptr<FaultPlan> faultPlan;
};

// Builds the board for `chainLayout` on `clock`, which must outlive the board.
SimulatedEvb MakeSimulatedEvb(const ChainLayout& chainLayout, Clock& clock,
                              ChainOptions options = {});

// The same from a chain text such as "daisy:52400x3"; on a malformed text returns nothing and
// says why in `error`.
std::optional<SimulatedEvb> MakeSimulatedEvb(std::string_view chainText, Clock& clock,
                                             std::string& error, ChainOptions options = {});

}  // namespace qvm::sim
