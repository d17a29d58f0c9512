// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qvm {

// Device traffic line of the activity log: prefix + name + ",dev0xNN" (when a device is given)
// + ",cat0xNN,adr0xNN,dat0x" + `dataDigits` hexadecimal digits; no line end.
std::string TrafficLine(const std::string& prefix, const std::string& name, std::optional<int> dev,
                        int cat, int adr, std::int16_t dat, int dataDigits);

}  // namespace qvm
