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

inline CliRun Qvmctl(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunQvmctl(args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace qvm::cli
