// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace qvm::cli {

// Runs qvmctl with its arguments (without the program name); returns the exit status.
int RunQvmctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace qvm::cli
