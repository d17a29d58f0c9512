// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "model/value_format.h"

namespace qvm {

// Entries of the main tab's balance lists; an entry's index is the code written to the device.
std::vector<std::string> BalanceModeEntries();
// "Disabled", then the timeout codes 1..127 in thirds of a minute.
std::vector<std::string> BalanceTimeoutEntries(char decimalSeparator = HostDecimalSeparator());
std::vector<std::string> BalanceWaitEntries();

}  // namespace qvm
