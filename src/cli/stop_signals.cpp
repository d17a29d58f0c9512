#include "cli/stop_signals.h"

#include <csignal>

namespace qvm::cli {

namespace {

// The only thing a signal handler may safely touch.
volatile std::sig_atomic_t stopRaised = 0;

extern "C" void RaiseStop(int) {
  stopRaised = 1;
}

}  // namespace

StopSignals::StopSignals() {
  stopRaised = 0;
  struct sigaction action {};
  action.sa_handler = RaiseStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previousInt_);
  sigaction(SIGTERM, &action, &previousTerm_);
}

StopSignals::~StopSignals() {
  sigaction(SIGINT, &previousInt_, nullptr);
  sigaction(SIGTERM, &previousTerm_, nullptr);
}

bool StopSignals::Raised() {
  return stopRaised != 0;
}

}  // namespace qvm::cli
