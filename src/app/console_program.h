// SPDX-License-Identifier: MIT
#pragma once

#include "app/frm_startup.h"
#include "bench/frm_main_f340.h"
#include "console/generic_vb_diag.h"

namespace qvm {

// The program's windows on one bus. Building them opens the link (the startup window loads the
// bench tool); the console loads only when the startup window hands over to it.
class ConsoleProgram {
 public:
  explicit ConsoleProgram(const ConsoleDeps& deps);

  GenericVbDiag console;
  FrmMainF340 bench;
  FrmStartup startup;
};

// The desktop console program: options, board, startup window and event loop.
int RunConsoleProgram(int argc, char** argv);

}  // namespace qvm
