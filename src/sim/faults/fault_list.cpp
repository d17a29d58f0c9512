// SPDX-License-Identifier: MIT
#include "sim/faults/fault_list.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace qvm::sim {

namespace {

using namespace std::string_view_literals;

constexpr std::array kKindNames{"drop"sv, "seq"sv,   "seq0"sv,   "rid"sv,   "crc"sv,
                                "nak"sv,  "short"sv, "silent"sv, "unplug"sv};
static_assert(kKindNames.size() == kFaultKindCount, "one name per fault kind");

// The items written as a word alone, and the switch of the list each one sets.
constexpr std::array<std::pair<std::string_view, bool FaultList::*>, 3> kFlags{{
    {"denied", &FaultList::denied},
    {"mute", &FaultList::mute},
    {"stray", &FaultList::stray},
}};

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::optional<bool FaultList::*> FlagFromName(std::string_view name) {
  for (const auto& [flagName, flag] : kFlags) {
    if (flagName == name) return flag;
  }
  return std::nullopt;
}

std::optional<FaultKind> KindFromName(std::string_view name) {
  for (std::size_t i = 0; i < kKindNames.size(); ++i) {
    if (kKindNames[i] == name) return static_cast<FaultKind>(i);
  }
  return std::nullopt;
}

template <typename Number>
std::optional<Number> ParseWhole(std::string_view text) {
  Number value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> ParseRate(std::string_view text) {
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
      value < 0.0 || value > 1.0) {
    return std::nullopt;
  }
  return value;
}

bool ParseItem(std::string_view item, FaultList& list, std::string& error) {
  const std::size_t split = item.find_first_of("=@");
  const std::string_view name = item.substr(0, split);
  const std::string_view value = split == std::string_view::npos ? "" : item.substr(split + 1);
  const char separator = split == std::string_view::npos ? '\0' : item[split];
  if (const auto flag = FlagFromName(name)) {
    if (separator != '\0') {
      error = std::string(name) + " stands alone, without a rate or an exchange number";
      return false;
    }
    list.*(*flag) = true;
    return true;
  }
  if (name == "replug") {
    const auto ms = ParseWhole<std::int64_t>(value);
    if (separator != '=' || !ms || *ms < 0) {
      error = "replug needs a time in milliseconds, e.g. replug=500";
      return false;
    }
    list.replugMs = *ms;
    return true;
  }
  const auto kind = KindFromName(name);
  if (!kind) {
    error = "unknown fault '" + std::string(name) + "'";
    return false;
  }
  FaultRule rule;
  rule.kind = *kind;
  if (separator == '=') {
    const auto rate = ParseRate(value);
    if (!rate) {
      error = std::string(name) + "=" + std::string(value) + ": the rate must be from 0 to 1";
      return false;
    }
    rule.rate = *rate;
  } else if (separator == '@') {
    const auto at = ParseWhole<std::uint64_t>(value);
    if (!at || *at == 0) {
      error =
          std::string(name) + "@" + std::string(value) + ": the exchange number must be 1 or more";
      return false;
    }
    rule.at = *at;
  } else {
    error = std::string(name) + " needs a rate (" + std::string(name) +
            "=0.01) or an exchange number (" + std::string(name) + "@17)";
    return false;
  }
  list.rules.push_back(rule);
  return true;
}

}  // namespace

std::string_view FaultKindName(FaultKind kind) {
  return kKindNames[static_cast<std::size_t>(kind)];
}

std::optional<FaultList> ParseFaultList(std::string_view text, std::string& error) {
  FaultList list;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view item = Trim(text.substr(0, comma));
    if (item.empty()) {
      error = "empty item in the fault list";
      return std::nullopt;
    }
    if (!ParseItem(item, list, error)) return std::nullopt;
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return list;
}

std::string FaultListHelp() {
  return "comma-separated faults of the simulated board: KIND=RATE (probability per exchange, "
         "e.g. crc=0.02) or KIND@N (once, at exchange N, e.g. nak@17); kinds: drop (no reply), "
         "seq (wrong sequence number), seq0 (sequence 0), rid (wrong report id), crc (bad "
         "CRC4), nak, short (short reply), silent (the chain stops answering), unplug (the "
         "board is pulled out); replug=MS puts an unplugged board back after MS milliseconds; "
         "denied lists the board but refuses to open it; mute opens it, but it never answers; "
         "stray answers every set-up block read-back with a late SPI packet reply first";
}

}  // namespace qvm::sim
