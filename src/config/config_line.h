// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "model/shared_state.h"

namespace qvm {

// Why a non-empty line of a configuration file made no write.
enum class ConfigSkip { None, NotARegisterLine, OtherPart, Malformed, NoSuchDevice, NotWritable };
inline constexpr std::size_t kConfigSkipReasons = 6;

// What one line of a configuration file asks for. A write line names a device type, a range of
// devices, a category (write flag included, as written), an offset and the value to write;
// any other line carries the reason it is skipped, or, when its fields cannot be sent as they
// stand, why the whole file must be refused.
struct ConfigLine {
  ConfigSkip skip = ConfigSkip::None;
  std::string refusal;
  int type = 0;
  int first = 0;
  int last = 0;
  int category = 0;
  int offset = 0;
  std::optional<int> value;  // set for a write line only

  int Register() const { return (category & 7) * 64 + offset; }
};

// Reads one non-empty line (without its line end) against the part names and device counts in
// force. `terminated` is false for a last line the file ends in without a line end: a write
// line cut short there is refused rather than skipped.
ConfigLine ReadConfigLine(std::string_view line, bool terminated, const SharedState& state);

}  // namespace qvm
