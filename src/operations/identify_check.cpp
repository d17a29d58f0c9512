// SPDX-License-Identifier: MIT
#include "operations/identify_check.h"

#include "sim/chain/chain_layout.h"

namespace qvm {

ExpectedChain ExpectedChainOf(const ConnectOptions& options, const SharedState& state) {
  ExpectedChain expected;
  const bool companions = state.IdentifyCompanionType;
  if (state.ManualDaisyChain && options.stackSize > 0) {
    expected[0] = options.stackSize;
    if (companions) expected[1] = options.stackSize;
    return expected;
  }
  if (options.simChain.empty()) return expected;
  std::string error;
  const auto layout = sim::ParseChainLayout(options.simChain, error);
  if (!layout) return expected;
  expected[0] = layout->primaryCount;
  if (companions) expected[1] = layout->companionCount;
  return expected;
}

std::optional<std::string> IdentifyShortfall(const Session& session,
                                             const ExpectedChain& expected) {
  const SharedState& state = session.state;
  const std::array<int, kDeviceTypes> found = {state.DeviceCount52400, state.DeviceCount52401};
  // What the link knows comes last: it is why the chain was not found.
  const std::string problem = session.bridge.LinkProblem();
  const std::string why = problem.empty() ? "" : ": " + problem;
  if (found[0] + found[1] == 0) return "no device answered" + why;
  std::string reasons;
  for (std::size_t type = 0; type < found.size(); ++type) {
    const std::string name = state.PartName(static_cast<int>(type));
    const std::string count = std::to_string(found[type]);
    std::string reason;
    if (expected[type] && found[type] < *expected[type]) {
      reason = count + " of " + std::to_string(*expected[type]) + " " + name + " devices found";
    } else if (expected[type] && found[type] > *expected[type]) {
      reason = count + " " + name + " devices found where " + std::to_string(*expected[type]) +
               " were expected";
    } else if (found[type] > 0 && !session.ChainIdentified[type]) {
      reason = "the " + name + " identification did not complete";
    }
    if (reason.empty()) continue;
    reasons += (reasons.empty() ? "" : "; ") + reason;
  }
  if (reasons.empty()) return std::nullopt;
  return reasons + why;
}

}  // namespace qvm
