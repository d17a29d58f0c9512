// SPDX-License-Identifier: MIT
#include "model/leading_number.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace qvm {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int DigitValue(char c, int base) {
  int value = 99;
  if (c >= '0' && c <= '9') {
    value = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    value = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    value = c - 'A' + 10;
  }
  return value < base ? value : -1;
}

// A number read from the start of a text and the characters it took; none taken: no number.
struct ScannedNumber {
  double value = 0.0;
  std::size_t length = 0;
};

// "&H" / "&O" integers: 16-bit when the value fits in 16 bits, else 32-bit, both read as signed.
ScannedNumber PrefixedInteger(std::string_view digits, int base) {
  std::size_t length = 0;
  while (length < digits.size() && DigitValue(digits[length], base) >= 0) ++length;
  std::uint64_t value = 0;
  for (char c : digits.substr(0, length)) {
    value =
        value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(DigitValue(c, base));
    if (value > 0xFFFFFFFFu) return {std::numeric_limits<double>::infinity(), length};
  }
  if (value <= 0xFFFFu) {
    return {static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(value))),
            length};
  }
  return {static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value))),
          length};
}

ScannedNumber DecimalNumber(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t mantissaStart = i;
  std::size_t integerDigits = 0;
  std::size_t fractionDigits = 0;
  while (i < text.size() && IsDigit(text[i])) {
    ++i;
    ++integerDigits;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) {
      ++i;
      ++fractionDigits;
    }
  }
  if (integerDigits + fractionDigits == 0) return {};
  std::size_t end = i;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      end = j;
    }
  }
  const std::string_view number = text.substr(mantissaStart, end - mantissaStart);
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small to hold: the sign of the decimal exponent decides which.
    const std::size_t ePos = number.find_first_of("eE");
    const bool exponentNegative =
        ePos != std::string_view::npos && ePos + 1 < number.size() && number[ePos + 1] == '-';
    value = exponentNegative ? 0.0 : std::numeric_limits<double>::infinity();
  }
  return {negative ? -value : value, end};
}

// The number at the start of `text`, after its leading blanks (which count in its length).
ScannedNumber ScanNumber(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  const std::string_view rest = text.substr(start);
  const bool prefixed = rest.size() >= 2 && rest[0] == '&';
  ScannedNumber scanned;
  std::size_t prefix = 0;
  if (prefixed && (rest[1] == 'h' || rest[1] == 'H')) {
    scanned = PrefixedInteger(rest.substr(2), 16);
    prefix = 2;
  } else if (prefixed && (rest[1] == 'o' || rest[1] == 'O')) {
    scanned = PrefixedInteger(rest.substr(2), 8);
    prefix = 2;
  } else {
    scanned = DecimalNumber(rest);
  }
  if (scanned.length > 0) scanned.length += start + prefix;
  return scanned;
}

}  // namespace

double LeadingNumber(std::string_view text) {
  return ScanNumber(text).value;
}

std::optional<double> WholeNumber(std::string_view text) {
  const ScannedNumber scanned = ScanNumber(text);
  if (scanned.length == 0) return std::nullopt;
  for (const char c : text.substr(scanned.length)) {
    if (!IsBlank(c)) return std::nullopt;
  }
  return scanned.value;
}

double RoundHalfEven(double value) {
  return std::nearbyint(value);
}

std::optional<std::int16_t> RoundToInt16(double value) {
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= std::numeric_limits<std::int16_t>::min() &&
        rounded <= std::numeric_limits<std::int16_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int16_t>(rounded);
}

std::optional<std::int32_t> RoundToInt32(double value) {
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
        rounded <= std::numeric_limits<std::int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(rounded);
}

std::optional<std::int32_t> ReadHexText(std::string_view text) {
  std::string prefixed = "&H";
  prefixed += text;
  return RoundToInt32(LeadingNumber(prefixed));
}

}  // namespace qvm
