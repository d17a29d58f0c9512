// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace qvm {

// The programs' version, "MAJOR.MINOR.PATCH", from the build's project version.
std::string ProgramVersion();

}  // namespace qvm
