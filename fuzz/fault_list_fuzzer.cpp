// SPDX-License-Identifier: MIT
// Feeds arbitrary text to the --sim-faults list parser: a refused list must say why, and an
// accepted one holds only rates that are probabilities.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sim/faults/fault_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto list = qvm::sim::ParseFaultList(text, error);
  if (!list) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  for (const auto& rule : list->rules) {
    if (!rule.at && !(rule.rate >= 0.0 && rule.rate <= 1.0)) __builtin_trap();
  }
  return 0;
}
