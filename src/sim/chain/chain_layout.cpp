// SPDX-License-Identifier: MIT
#include "sim/chain/chain_layout.h"

#include <charconv>
#include <vector>

namespace qvm::sim {

namespace {

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::vector<std::string_view> SplitPlus(std::string_view text) {
  std::vector<std::string_view> items;
  std::size_t start = 0;
  for (;;) {
    const auto plus = text.find('+', start);
    items.push_back(text.substr(start, plus == std::string_view::npos ? plus : plus - start));
    if (plus == std::string_view::npos) return items;
    start = plus + 1;
  }
}

// Parses "PART" or "PARTxN" into the chain layout; returns an error text or an empty string.
std::string ParseItem(std::string_view item, ChainLayout& chainLayout, bool& primarySeen) {
  const auto times = item.find('x');
  const std::string_view part = item.substr(0, times);
  int count = 1;
  if (times != std::string_view::npos) {
    const std::string_view digits = item.substr(times + 1);
    const char* end = digits.data() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.data(), end, count);
    if (digits.empty() || ec != std::errc() || ptr != end) {
      return "'" + std::string(item) + "': the count after 'x' must be a whole number";
    }
  }
  if (chainLayout.mode == ChainMode::kSingle && count != 1) {
    return "'" + std::string(item) + "': single-device mode has one device per type";
  }
  if (count < 1 || count > ChainLayout::kMaxDevicesPerType) {
    return "'" + std::string(item) + "': a daisy chain holds 1 to 14 devices per type";
  }
  if (part == "52401") {
    if (chainLayout.companionCount != 0) return "52401 is given twice";
    chainLayout.companionCount = count;
    return {};
  }
  if (part != "52400" && part != "38817") {
    return "unknown part '" + std::string(part) + "' (expected 52400, 38817 or 52401)";
  }
  if (primarySeen) return "only one of 52400 and 38817 can be device type 0";
  primarySeen = true;
  chainLayout.family = part == "38817" ? PrimaryFamily::k38817 : PrimaryFamily::k52400;
  chainLayout.primaryCount = count;
  return {};
}

}  // namespace

std::string ChainLayout::ToString() const {
  const bool daisy = mode == ChainMode::kDaisy;
  std::string text = daisy ? "daisy:" : "single:";
  const auto item = [daisy](const char* part, int count) {
    return std::string(part) + (daisy ? "x" + std::to_string(count) : std::string());
  };
  if (primaryCount > 0)
    text += item(family == PrimaryFamily::k38817 ? "38817" : "52400", primaryCount);
  if (companionCount > 0) {
    if (primaryCount > 0) text += "+";
    text += item("52401", companionCount);
  }
  return text;
}

std::optional<ChainLayout> ParseChainLayout(std::string_view text, std::string& error) {
  const std::string_view whole = Trim(text);
  const auto fail = [&error, whole](const std::string& why) {
    error = "chain '" + std::string(whole) + "': " + why;
    return std::nullopt;
  };
  const auto colon = whole.find(':');
  if (colon == std::string_view::npos) {
    return fail("expected 'daisy:' or 'single:' before the parts, as in daisy:52400x3");
  }
  ChainLayout chainLayout;
  const std::string_view mode = whole.substr(0, colon);
  if (mode == "daisy") {
    chainLayout.mode = ChainMode::kDaisy;
  } else if (mode == "single") {
    chainLayout.mode = ChainMode::kSingle;
  } else {
    return fail("unknown mode '" + std::string(mode) + "' (expected daisy or single)");
  }
  const std::string_view parts = whole.substr(colon + 1);
  if (parts.empty()) return fail("no parts given");
  bool primarySeen = false;
  for (const std::string_view item : SplitPlus(parts)) {
    if (item.empty()) return fail("empty part between '+' signs");
    const std::string why = ParseItem(item, chainLayout, primarySeen);
    if (!why.empty()) return fail(why);
  }
  error.clear();
  return chainLayout;
}

}  // namespace qvm::sim
