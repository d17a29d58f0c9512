// SPDX-License-Identifier: MIT
#include "cli/option_checks.h"

#include "core/number_text.h"
#include "sim/chain/chain_layout.h"
#include "sim/faults/fault_list.h"

namespace qvm::cli {

CLI::Validator NumberIn(std::uint32_t min, std::uint32_t max) {
  const std::string range = std::to_string(min) + ".." + std::to_string(max);
  return CLI::Validator(
      [min, max](std::string& text) -> std::string {
        const auto value = ParseNumberText(text, max);
        if (!value || *value < min) {
          return "must be a number from " + std::to_string(min) + " to " + std::to_string(max) +
                 " (decimal or 0x hexadecimal), not '" + text + "'";
        }
        text = std::to_string(*value);
        return {};
      },
      range);
}

CLI::Validator ChainText() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        std::string error;
        return sim::ParseChainLayout(text, error) ? std::string() : error;
      },
      "CHAIN");
}

CLI::Validator FaultListText() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        std::string error;
        return sim::ParseFaultList(text, error) ? std::string() : error;
      },
      "LIST");
}

}  // namespace qvm::cli
