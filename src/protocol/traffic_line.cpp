// SPDX-License-Identifier: MIT
#include "protocol/traffic_line.h"

#include "core/hex.h"

namespace qvm {

namespace {

// Room for the four fields after the prefix and the name.
constexpr std::size_t kFieldsSize = 48;

void AppendField(std::string& line, const char* label, std::uint32_t value, int digits) {
  line += ',';
  line += label;
  line += "0x";
  AppendHexDigits(line, value, digits);
}

}  // namespace

std::string TrafficLine(const std::string& prefix, const std::string& name, std::optional<int> dev,
                        int cat, int adr, std::int16_t dat, int dataDigits) {
  // Built in one buffer: the parser writes a line for every frame of a reply.
  std::string line;
  line.reserve(prefix.size() + name.size() + kFieldsSize);
  line += prefix;
  line += name;
  if (dev) AppendField(line, "dev", static_cast<std::uint32_t>(*dev), 2);
  AppendField(line, "cat", static_cast<std::uint32_t>(cat), 2);
  AppendField(line, "adr", static_cast<std::uint32_t>(adr), 2);
  AppendField(line, "dat", static_cast<std::uint16_t>(dat), dataDigits);
  return line;
}

}  // namespace qvm
