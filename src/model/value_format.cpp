#include "model/value_format.h"

#include <array>
#include <charconv>
#include <locale>

namespace qvm {

char HostDecimalSeparator() {
  return std::use_facet<std::numpunct<char>>(std::locale()).decimal_point();
}

std::string FormatFixed(double value, int decimals, char decimalSeparator) {
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

}  // namespace qvm
