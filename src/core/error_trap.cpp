// SPDX-License-Identifier: MIT
#include "core/error_trap.h"

namespace qvm {

std::string ErrorTrapMessage(std::string_view procedure, int number, std::string_view description) {
  std::string text = "Error in ";
  text += procedure;
  text += " Err.Number = ";
  text += std::to_string(number);
  text += ", Err.Description = ";
  text += description;
  return text;
}

}  // namespace qvm
