// SPDX-License-Identifier: MIT
#include "cli/stop_signal.h"

#include <csignal>

namespace qvm::cli {

namespace {

// A signal handler can only reach the program through a flag of static storage.
volatile std::sig_atomic_t stopSignal = 0;

extern "C" void RecordStopSignal(int signal) {
  stopSignal = signal;
}

}  // namespace

void InstallStopSignals() {
  std::signal(SIGINT, RecordStopSignal);
  std::signal(SIGTERM, RecordStopSignal);
}

int StopSignal() {
  return stopSignal;
}

}  // namespace qvm::cli
