#include "sim/chain/simulated_evb.h"

namespace qvm::sim {

SimulatedEvb MakeSimulatedEvb(const ChainSpec& spec, Clock& clock, ChainOptions options) {
  SimulatedEvb evb;
  evb.chain = std::make_shared<SimulatedChain>(spec, options);
  evb.board = std::make_shared<SimulatedBoard>(clock, SimulatedEvb::kBoardPath, evb.chain);
  evb.bus = std::make_shared<SimulatedBus>();
  evb.bus->Attach(evb.board);
  return evb;
}

std::optional<SimulatedEvb> MakeSimulatedEvb(std::string_view chainText, Clock& clock,
                                             std::string& error, ChainOptions options) {
  const auto spec = ParseChainSpec(chainText, error);
  if (!spec) return std::nullopt;
  return MakeSimulatedEvb(*spec, clock, options);
}

}  // namespace qvm::sim
