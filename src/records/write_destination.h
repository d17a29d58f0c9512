// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace qvm {

// Why a file cannot be written at a path: the text for the user and the errno that tells it.
struct DestinationProblem {
  int errorNumber = 0;
  std::string text;
};

// Why no new file can be written at `path` (a missing folder, a folder, a dangling symbolic
// link, a file open in another program, no write permission), or nothing when one can.
std::optional<DestinationProblem> WriteDestinationProblem(const std::string& path);

}  // namespace qvm
