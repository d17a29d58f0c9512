#pragma once

namespace qvm {

// The desktop console program: options, board, startup window and event loop.
int RunConsoleProgram(int argc, char** argv);

}  // namespace qvm
