// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <optional>
#include <string>

#include "operations/board_connection.h"

namespace qvm {

// Devices per type that the chain is known to hold, for the types being identified: in a daisy
// chain the stack size when it was given, otherwise the simulated chain's own; nothing where
// the options say nothing.
using ExpectedChain = std::array<std::optional<int>, kDeviceTypes>;

ExpectedChain ExpectedChainOf(const ConnectOptions& options, const SharedState& state);

// Why the last identification did not find the chain expected ("no device answered", "1 of 2
// QVM52401 devices found", "the QVM52400 identification did not complete"), with what the link
// knows after a colon ("...: the board was lost: No such device"), or nothing when it found it.
std::optional<std::string> IdentifyShortfall(const Session& session, const ExpectedChain& expected);

}  // namespace qvm
