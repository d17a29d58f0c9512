// SPDX-License-Identifier: MIT
#include <iostream>

#include "cli/qvmctl.h"
#include "cli/stop_signal.h"

int main(int argc, char** argv) {
  qvm::cli::InstallStopSignals();
  return qvm::cli::RunQvmctl(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
