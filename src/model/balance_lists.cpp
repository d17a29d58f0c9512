// SPDX-License-Identifier: MIT
#include "model/balance_lists.h"

namespace qvm {

namespace {
constexpr int kTimeoutCodes = 128;
}  // namespace

std::vector<std::string> BalanceModeEntries() {
  return {"Off", "Manual", "Timed", "Auto"};
}

std::vector<std::string> BalanceTimeoutEntries(char decimalSeparator) {
  std::vector<std::string> entries{"Disabled"};
  for (int code = 1; code < kTimeoutCodes; ++code) {
    const double minutes = code / 3.0;
    std::string entry = FormatFixed(minutes, 2, decimalSeparator) + " Minute";
    if (minutes > 1) entry += "s";
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<std::string> BalanceWaitEntries() {
  return {"0 seconds", "1 second",   "2 seconds",  "4 seconds",
          "8 seconds", "16 seconds", "32 seconds", "64 seconds"};
}

}  // namespace qvm
