// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <string>

#include "cli/cli_session.h"

namespace qvm::cli {

// Lists the attached bridge boards (the simulated one with a chain text), as text or as a JSON
// array with --json; 1 when none is found.
int RunBoards(const DeviceOptions& options, std::ostream& out, std::ostream& err);

}  // namespace qvm::cli
