// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>

#include "cli/cli_session.h"

namespace qvm::cli {

// After the board was lost: looks for it about once a second for up to `seconds`, then opens
// the link and identifies the chain again as Connect does. True when the same number of
// devices answered again; false, with the reason on `err`, when the time ran out, the chain
// came back different or a stop signal arrived.
bool Reconnect(CliSession& cli, int seconds, std::ostream& err);

}  // namespace qvm::cli
