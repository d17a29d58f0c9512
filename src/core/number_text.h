// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qvm {

// A whole number written in decimal or with a 0x prefix in hexadecimal; nothing for any other
// text or a value outside 0..max.
std::optional<std::uint32_t> ParseNumberText(std::string_view text, std::uint32_t max);

}  // namespace qvm
