// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/clock.h"
#include "sim/chain/simulated_evb.h"

namespace qvm::sim {

// What the programs' --sim, --sim-faults and --sim-seed options ask of the simulated board.
struct SimulationOptions {
  std::string chain;       // e.g. "daisy:52400x3"
  std::string faults;      // a fault list (ParseFaultList); empty: none
  std::uint32_t seed = 1;  // the cell model's noise and the fault draws
};

// Builds the simulated board with its fault plan on `clock`, which must outlive it. On a
// malformed chain or fault list returns nothing and says why in `error`, naming the option
// ("--sim daisy:52400x20: ..." or "--sim-faults: crc=2: ...").
std::optional<SimulatedEvb> MakeSimulatedSource(const SimulationOptions& options, Clock& clock,
                                                std::string& error);

}  // namespace qvm::sim
