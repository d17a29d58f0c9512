// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace qvm {

// Error numbers of the error trap report, as the tools of this family have always shown them.
enum ErrorNumber : int {
  kErrOverflow = 6,
  kErrSubscriptOutOfRange = 9,
  kErrTypeMismatch = 13,
  kErrFileNotFound = 53,
  kErrInvalidProcedureCall = 5,
};

// "Error in <procedure> Err.Number = <n>, Err.Description = <text>".
std::string ErrorTrapMessage(std::string_view procedure, int number, std::string_view description);

}  // namespace qvm
