// SPDX-License-Identifier: MIT
#pragma once

namespace qvm::cli {

// Ctrl-C (SIGINT) and SIGTERM ask a long-running command to stop: the handler only records the
// signal, and the command ends cleanly at its next check (files closed, log stop marker
// written). Installed once by qvmctl's main.
void InstallStopSignals();

// The signal that asked to stop, or 0.
int StopSignal();

}  // namespace qvm::cli
