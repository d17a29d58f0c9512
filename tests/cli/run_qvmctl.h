// SPDX-License-Identifier: MIT
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/qvmctl.h"

namespace qvm::cli {

// What one run of qvmctl printed and returned.
struct CliRun {
  int status;
  std::string out;
  std::string err;
};

// The last line of a text that ends in a line break, with its line break: the summary of a poll.
inline std::string LastLine(const std::string& text) {
  const std::size_t start = text.size() < 2 ? std::string::npos : text.rfind('\n', text.size() - 2);
  return start == std::string::npos ? text : text.substr(start + 1);
}

inline CliRun Qvmctl(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunQvmctl(args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace qvm::cli
