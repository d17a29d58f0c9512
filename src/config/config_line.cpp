// SPDX-License-Identifier: MIT
#include "config/config_line.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "core/hex.h"

namespace qvm {

namespace {

// What a register write can carry in each of its fields.
constexpr int kMaxDevice = 0x0F;
constexpr int kMaxCategory = 0x0F;
constexpr int kMaxOffset = 0x3F;
constexpr int kMaxData = 0x3FFF;

std::string Upper(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return upper;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t comma = line.find(','); comma != std::string_view::npos;
       comma = line.find(',', start)) {
    fields.push_back(line.substr(start, comma - start));
    start = comma + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

// The hexadecimal number after `prefix` in a field of exactly `length` characters.
std::optional<int> PrefixedHex(std::string_view field, std::string_view prefix,
                               std::size_t length) {
  if (field.size() != length || Upper(field.substr(0, prefix.size())) != prefix) {
    return std::nullopt;
  }
  int value = 0;
  for (const char c : field.substr(prefix.size())) {
    const int digit = std::isdigit(static_cast<unsigned char>(c))
                          ? c - '0'
                          : (std::isxdigit(static_cast<unsigned char>(c))
                                 ? std::toupper(static_cast<unsigned char>(c)) - 'A' + 10
                                 : -1);
    if (digit < 0) return std::nullopt;
    value = value * 16 + digit;
  }
  return value;
}

bool SamePart(std::string_view field, const std::string& part) {
  return !part.empty() && Upper(field) == Upper(part);
}

// The numbers of a write line's device, category, offset and data fields; nothing for a field
// that is not in its form. The device is nothing for "ALL" too (see `allDevices`).
struct WriteFields {
  bool allDevices = false;
  std::optional<int> device;
  std::optional<int> category;
  std::optional<int> offset;
  std::optional<int> value;

  bool WellFormed() const { return (allDevices || device) && category && offset && value; }
};

WriteFields ReadWriteFields(const std::vector<std::string_view>& fields, bool wrt) {
  WriteFields read;
  read.allDevices = Upper(fields[2]) == "ALL";
  if (!read.allDevices) read.device = PrefixedHex(fields[2], "DEV0X", 7);
  read.category = PrefixedHex(fields[3], "CAT0X", 7);
  read.offset = PrefixedHex(fields[4], "ADR0X", 7);
  read.value = wrt ? PrefixedHex(fields[5], "DAT0X", 9) : PrefixedHex(fields[5], "DAT0X", 7);
  return read;
}

// Why a field's number cannot be sent, or empty when it can.
std::string OutOfRange(std::string_view field, int value, int max, const char* what, int digits,
                       const char* alternative = "") {
  if (value <= max) return {};
  return std::string(field) + ": the " + what + " must be " + Hex0x(0, digits) + " to " +
         Hex0x(static_cast<std::uint32_t>(max), digits) + alternative;
}

ConfigLine Skipped(ConfigSkip reason) {
  ConfigLine line;
  line.skip = reason;
  return line;
}

ConfigLine Refused(std::string reason) {
  ConfigLine line;
  line.refusal = std::move(reason);
  return line;
}

}  // namespace

ConfigLine ReadConfigLine(std::string_view text, bool terminated, const SharedState& state) {
  const std::vector<std::string_view> fields = SplitFields(text);
  const std::string kind = Upper(fields[0]);
  if (kind != "CMD" && kind != "WRT") return Skipped(ConfigSkip::NotARegisterLine);
  const bool complete = fields.size() >= 6;
  const WriteFields read = complete ? ReadWriteFields(fields, kind == "WRT") : WriteFields{};
  if (!terminated && !read.WellFormed()) {
    return Refused("the file ends in the middle of a write line");
  }
  if (!complete) return Skipped(ConfigSkip::NotARegisterLine);
  const bool primary = SamePart(fields[1], state.PartName52400);
  const bool companion = !primary && SamePart(fields[1], state.PartName52401);
  if (!primary && !companion) return Skipped(ConfigSkip::OtherPart);
  if (!read.WellFormed()) return Skipped(ConfigSkip::Malformed);

  for (const std::string& problem :
       {read.device ? OutOfRange(fields[2], *read.device, kMaxDevice, "device", 2, " or ALL")
                    : std::string(),
        OutOfRange(fields[3], *read.category, kMaxCategory, "category", 2),
        OutOfRange(fields[4], *read.offset, kMaxOffset, "address", 2),
        OutOfRange(fields[5], *read.value, kMaxData, "data", 4)}) {
    if (!problem.empty()) return Refused(problem);
  }

  ConfigLine line;
  line.type = primary ? 0 : 1;
  if (read.allDevices) {
    line.first = 1;
    line.last = primary ? state.DeviceCount52400 : state.DeviceCount52401;
  } else {
    line.first = line.last = *read.device;
  }
  line.category = *read.category;
  line.offset = *read.offset;
  line.value = read.value;
  return line;
}

}  // namespace qvm
