// SPDX-License-Identifier: MIT
#pragma once
#include <string>

namespace qvm {

// The about box's text: program version, the Qt and hidapi versions it runs with, and the
// system, one per line.
std::string AboutText();

}  // namespace qvm
