// SPDX-License-Identifier: MIT
#include "protocol/traffic_line.h"

#include <algorithm>
#include <array>

#include "core/hex.h"

namespace qvm {

namespace {

// The digits a field can hold.
constexpr int kMaxDigits = 8;
// Room for ",dev0xNN,cat0xNN,adr0xNN" and ",dat0x" with its digits.
constexpr std::size_t kFieldsSize = 3 * 8 + 6 + kMaxDigits;

// Writes "," + label + "0x" + `digits` hexadecimal digits at `at`; returns their end.
char* WriteField(char* at, std::string_view label, std::uint32_t value, int digits) {
  *at++ = ',';
  at = std::copy(label.begin(), label.end(), at);
  *at++ = '0';
  *at++ = 'x';
  return WriteHexDigits(at, value, digits);
}

}  // namespace

void WriteTrafficLine(std::string& out, const TrafficLine& line) {
  // The fields are written in a buffer of their own and appended in one go.
  std::array<char, kFieldsSize> fields;
  char* end = fields.data();
  if (line.dev) end = WriteField(end, "dev", static_cast<std::uint32_t>(*line.dev), 2);
  end = WriteField(end, "cat", static_cast<std::uint32_t>(line.cat), 2);
  end = WriteField(end, "adr", static_cast<std::uint32_t>(line.adr), 2);
  end = WriteField(end, "dat", static_cast<std::uint16_t>(line.dat),
                   std::clamp(line.dataDigits, 0, kMaxDigits));
  out.assign(line.prefix);
  out += line.name;
  out.append(fields.data(), end);
}

}  // namespace qvm
