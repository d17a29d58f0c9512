// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace qvm {

// `text` as a JSON string, quoted and escaped: '"' and '\' with a backslash, control
// characters as \u00XX.
std::string JsonString(std::string_view text);
// The same appended to `out`.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace qvm
