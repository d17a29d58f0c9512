// SPDX-License-Identifier: MIT
#include "core/version.h"

namespace qvm {

std::string ProgramVersion() {
  return std::to_string(QVM_VERSION_MAJOR) + "." + std::to_string(QVM_VERSION_MINOR) + "." +
         std::to_string(QVM_VERSION_PATCH);
}

}  // namespace qvm
