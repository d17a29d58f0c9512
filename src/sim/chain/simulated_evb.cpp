#include "sim/chain/simulated_evb.h"

namespace qvm::sim {

SimulatedEvb MakeSimulatedEvb(const ChainSpec& chainSpec, Clock& clock, ChainOptions options) {
  SimulatedEvb evb;
  evb.chain = std::make_shared<SimulatedChain>(chainSpec, options);
  evb.board = std::make_shared<SimulatedBoard>(clock, SimulatedEvb::kBoardPath, evb.chain);
  evb.bus = std::make_shared<SimulatedBus>();
  evb.bus->Attach(evb.board);
  return evb;
}

std::optional<SimulatedEvb> MakeSimulatedEvb(std::string_view chainText, Clock& clock,
                                             std::string& error, ChainOptions options) {
  const auto chainSpec = ParseChainSpec(chainText, error);
  if (!chainSpec) return std::nullopt;
  return MakeSimulatedEvb(*chainSpec, clock, options);
}

}  // namespace qvm::sim
