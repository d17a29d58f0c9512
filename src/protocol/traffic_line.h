// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qvm {

// Device traffic line of the activity log: prefix + name + ",dev0xNN" (when a device is given)
// + ",cat0xNN,adr0xNN,dat0x" + `dataDigits` hexadecimal digits.
struct TrafficLine {
  std::string_view prefix;
  std::string_view name;
  std::optional<int> dev;
  int cat;
  int adr;
  std::int16_t dat;
  int dataDigits;
};

// Writes the line, without line end, over `out`, whose storage serves again: the parser logs a
// line for every frame of a reply.
void WriteTrafficLine(std::string& out, const TrafficLine& line);

}  // namespace qvm
