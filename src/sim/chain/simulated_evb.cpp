// SPDX-License-Identifier: MIT
#include "sim/chain/simulated_evb.h"

namespace qvm::sim {

SimulatedEvb MakeSimulatedEvb(const ChainLayout& chainLayout, Clock& clock, ChainOptions options) {
  SimulatedEvb evb;
  evb.chain = std::make_shared<SimulatedChain>(chainLayout, options);
  evb.board = std::make_shared<SimulatedBoard>(clock, SimulatedEvb::kBoardPath, evb.chain);
  evb.bus = std::make_shared<SimulatedBus>();
  evb.bus->Attach(evb.board);
  return evb;
}

std::optional<SimulatedEvb> MakeSimulatedEvb(std::string_view chainText, Clock& clock,
                                             std::string& error, ChainOptions options) {
  const auto chainLayout = ParseChainLayout(chainText, error);
  if (!chainLayout) return std::nullopt;
  return MakeSimulatedEvb(*chainLayout, clock, options);
}

}  // namespace qvm::sim
