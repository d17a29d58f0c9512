// SPDX-License-Identifier: MIT
#include "sim/simulated_source.h"

#include <memory>

#include "sim/bridge/bridge_faults.h"
#include "sim/faults/fault_list.h"

namespace qvm::sim {

std::optional<SimulatedEvb> MakeSimulatedSource(const SimulationOptions& options, Clock& clock,
                                                std::string& error) {
  std::string reason;
  const auto chainLayout = ParseChainLayout(options.chain, reason);
  if (!chainLayout) {
    error = "--sim " + options.chain + ": " + reason;
    return std::nullopt;
  }
  FaultList faults;
  if (!options.faults.empty()) {
    const auto parsed = ParseFaultList(options.faults, reason);
    if (!parsed) {
      error = "--sim-faults: " + reason;
      return std::nullopt;
    }
    faults = *parsed;
  }
  ChainOptions chainOptions;
  chainOptions.seed = options.seed;
  SimulatedEvb evb = MakeSimulatedEvb(*chainLayout, clock, chainOptions);
  evb.board->SetOpenDenied(faults.denied);
  evb.board->SetFirmwareHung(faults.mute);
  if (faults.stray) evb.board->Faults().strayBeforeSetupRead = kAlways;
  evb.faultPlan =
      std::make_shared<FaultPlan>(std::move(faults), options.seed, clock, &evb.chain->Faults());
  evb.board->SetExchangeHook(evb.faultPlan);
  return evb;
}

}  // namespace qvm::sim
