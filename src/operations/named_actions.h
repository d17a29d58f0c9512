// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "operations/panel_commands.h"

namespace qvm {

// A command of the daisy-chain command panel under the name the front ends without windows
// give it ("scan-all", "bal-enable", ... "clear-faults").
struct NamedPanelCommand {
  const char* name;
  const PanelCommand* command;  // nothing for "clear-faults"
};

// The command called `name`, or nothing.
const NamedPanelCommand* PanelCommandNamed(const std::string& name);
// All names, separated by `separator`.
std::string PanelCommandNames(const std::string& separator);
// Sends the named command ("clear-faults" runs Clear All Faults); false when anything failed.
bool RunNamedPanelCommand(Session& session, const NamedPanelCommand& command);

// Selects the polled scans ("all", "mixed", "volts", "temps", "wires") and reads ("volts",
// "temps", "faults", "setups") in `state`, clearing the others. False, with the reason in
// `error`, for an unknown name; `state` is then unchanged.
bool SelectPolledActions(const std::vector<std::string>& scans,
                         const std::vector<std::string>& reads, SharedState& state,
                         std::string& error);

}  // namespace qvm
