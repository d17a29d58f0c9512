#pragma once

#include <csignal>

namespace qvm::cli {

// While it lives, Ctrl-C (SIGINT) and SIGTERM do not end the program but raise a flag, so a
// long run can stop between two steps and close its files. The previous handlers come back
// when it ends.
class StopSignals {
 public:
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // True once either signal arrived.
  static bool Raised();

 private:
  struct sigaction previousInt_ {};
  struct sigaction previousTerm_ {};
};

}  // namespace qvm::cli
