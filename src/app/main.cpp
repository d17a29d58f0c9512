// SPDX-License-Identifier: MIT
#include "app/console_program.h"

int main(int argc, char** argv) {
  return qvm::RunConsoleProgram(argc, argv);
}
