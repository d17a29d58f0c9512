// SPDX-License-Identifier: MIT
#include "model/value_format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <locale>

namespace qvm {

char HostDecimalSeparator() {
  return std::use_facet<std::numpunct<char>>(std::locale()).decimal_point();
}

namespace {

constexpr std::array<double, 10> kPowersOfTen = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
// Below this a scaled value is off its exact decimal value by less than 1e-7, far less than the
// margin kept around the half-way points.
constexpr double kLargestScaled = 1e9;
constexpr double kHalfWayMargin = 1e-6;

// The exact decimal expansion, for the values the integer path leaves.
std::string ExactFixed(double value, int decimals, char decimalSeparator) {
  // Room for the largest double in fixed notation.
  std::array<char, 400> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::fixed, decimals);
  std::string text = ec == std::errc() ? std::string(buffer.data(), end) : std::string();
  if (!text.empty() && text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) {
    text.erase(text.begin());
  }
  for (char& c : text) {
    if (c == '.') c = decimalSeparator;
  }
  return text;
}

}  // namespace

void AppendFixed(std::string& out, double value, int decimals, char decimalSeparator) {
  const bool ordinary = decimals >= 0 && decimals < static_cast<int>(kPowersOfTen.size()) &&
                        std::abs(value) < kLargestScaled / kPowersOfTen[decimals];
  const double scaled = ordinary ? std::abs(value) * kPowersOfTen[decimals] : 0;
  const double whole = std::floor(scaled);
  // Near a half-way point only the exact decimal expansion decides the rounding.
  if (!ordinary || std::abs(scaled - whole - 0.5) < kHalfWayMargin) {
    out += ExactFixed(value, decimals, decimalSeparator);
    return;
  }
  auto units = static_cast<std::uint64_t>(whole) + (scaled - whole > 0.5 ? 1 : 0);
  const bool negative = value < 0 && units != 0;
  // Filled from the end: the decimals, the separator, at least one integer digit, the sign.
  std::array<char, 32> text{};
  std::size_t first = text.size();
  for (int i = 0; i < decimals; ++i) {
    text[--first] = static_cast<char>('0' + units % 10);
    units /= 10;
  }
  if (decimals > 0) text[--first] = decimalSeparator;
  do {
    text[--first] = static_cast<char>('0' + units % 10);
    units /= 10;
  } while (units != 0);
  if (negative) text[--first] = '-';
  out.append(text.data() + first, text.size() - first);
}

std::string FormatFixed(double value, int decimals, char decimalSeparator) {
  std::string text;
  AppendFixed(text, value, decimals, decimalSeparator);
  return text;
}

}  // namespace qvm
