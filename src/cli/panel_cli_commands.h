// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <string>

#include "cli/cli_session.h"

namespace qvm::cli {

// `readall volts|temps|faults|setups`: runs the console's read button of that class and prints
// one table, a row per identified device, with the values as the console shows them. 2 for an
// unknown class, 1 when the read failed. `scanFirst` sends "Scan All" before the read, so a
// fresh simulated chain has values to show.
int RunReadAll(const DeviceOptions& options, const std::string& what, bool scanFirst,
               std::ostream& out, std::ostream& err);

// `command NAME`: sends one command of the daisy-chain command panel (scan-volts ... wake,
// clear-faults) and prints its activity log lines. 2 for an unknown name, 1 when it failed.
int RunPanelCommand(const DeviceOptions& options, const std::string& name, std::ostream& out,
                    std::ostream& err);

// The names `command` accepts, separated by '|'.
std::string PanelCommandNames();

}  // namespace qvm::cli
