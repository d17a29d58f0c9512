// SPDX-License-Identifier: MIT
// Feeds arbitrary text to the --sim chain parser: a text it accepts must print back to a text
// that parses to the same chain, and a refused one must say why.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sim/chain/chain_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto chain = qvm::sim::ParseChainLayout(text, error);
  if (!chain) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  std::string again;
  const auto reparsed = qvm::sim::ParseChainLayout(chain->ToString(), again);
  if (!reparsed || !(*reparsed == *chain)) __builtin_trap();
  return 0;
}
