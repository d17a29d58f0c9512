// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>

namespace qvm {

// ISO 8601 in UTC to the millisecond: "2026-12-09T17:20:03.042Z".
std::string UtcTimeText(std::chrono::system_clock::time_point time);

}  // namespace qvm
