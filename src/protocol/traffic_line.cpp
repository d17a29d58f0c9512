#include "protocol/traffic_line.h"

#include "core/hex.h"

namespace qvm {

namespace {
std::string Field(const char* label, std::uint32_t value, int digits) {
  return std::string(",") + label + Hex0x(value, digits);
}
}  // namespace

std::string TrafficLine(const std::string& prefix, const std::string& name, std::optional<int> dev,
                        int cat, int adr, std::int16_t dat, int dataDigits) {
  std::string line = prefix + name;
  if (dev) line += Field("dev", static_cast<std::uint32_t>(*dev), 2);
  line += Field("cat", static_cast<std::uint32_t>(cat), 2);
  line += Field("adr", static_cast<std::uint32_t>(adr), 2);
  line += Field("dat", static_cast<std::uint16_t>(dat), dataDigits);
  return line;
}

}  // namespace qvm
