// SPDX-License-Identifier: MIT
#include "model/value_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <locale>
#include <string>
#include <vector>

namespace qvm {
namespace {

TEST(ValueFormat, FourDecimalsWithAtLeastOneIntegerDigit) {
  EXPECT_EQ(FormatVoltage(3.7, '.'), "3.7000");
  EXPECT_EQ(FormatVoltage(-0.5, '.'), "-0.5000");
  EXPECT_EQ(FormatVoltage(0.0, '.'), "0.0000");
  EXPECT_EQ(FormatVoltage(0.12345678, '.'), "0.1235");
  EXPECT_EQ(FormatVoltage(59.9963, '.'), "59.9963");
}

TEST(ValueFormat, NeverGroupsDigits) {
  EXPECT_EQ(FormatVoltage(123456.789, '.'), "123456.7890");
  EXPECT_EQ(FormatTemperature(-12345.67, '.'), "-12345.7");
}

TEST(ValueFormat, OneDecimalForTemperatures) {
  EXPECT_EQ(FormatTemperature(25.0, '.'), "25.0");
  EXPECT_EQ(FormatTemperature(84.44, '.'), "84.4");
  EXPECT_EQ(FormatTemperature(-40.06, '.'), "-40.1");
}

TEST(ValueFormat, ValuesRoundingToZeroShowNoSign) {
  EXPECT_EQ(FormatVoltage(-0.00001, '.'), "0.0000");
  EXPECT_EQ(FormatTemperature(-0.04, '.'), "0.0");
  EXPECT_EQ(FormatVoltage(-0.0, '.'), "0.0000");
}

TEST(ValueFormat, UsesTheGivenDecimalSeparator) {
  EXPECT_EQ(FormatVoltage(3.7, ','), "3,7000");
  EXPECT_EQ(FormatVoltage(-1234.5, ','), "-1234,5000");
  EXPECT_EQ(FormatTemperature(25.0, ','), "25,0");
}

// A locale whose numbers use a decimal comma and group thousands.
struct CommaPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(ValueFormat, HostSeparatorFollowsTheGlobalLocaleWithoutGrouping) {
  const std::locale previous =
      std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
  EXPECT_EQ(HostDecimalSeparator(), ',');
  EXPECT_EQ(FormatVoltage(1234.5), "1234,5000");
  EXPECT_EQ(FormatTemperature(25.04), "25,0");
  std::locale::global(previous);
  EXPECT_EQ(HostDecimalSeparator(), '.');
  EXPECT_EQ(FormatVoltage(1234.5), "1234.5000");
}

// The exact decimal expansion, rounded half to even on the binary value, with no sign on a value
// that rounds to zero: what both formatting paths must write.
std::string ExactlyFixed(double value, int decimals, char separator) {
  std::array<char, 400> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::fixed, decimals);
  std::string text(buffer.data(), end);
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  std::replace(text.begin(), text.end(), '.', separator);
  return text;
}

TEST(ValueFormat, BothPathsWriteTheExactExpansion) {
  std::vector<double> values = {0.0,
                                -0.0,
                                0.125,
                                -0.125,
                                2.5,
                                0.00005,
                                -0.00005,
                                0.045,
                                1e-300,
                                1e9,
                                -1e9,
                                1e12,
                                1e300,
                                -1e300,
                                59.9963,
                                std::numeric_limits<double>::quiet_NaN(),
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity()};
  // Raw register values through the scales and offsets the decoders use.
  for (const double scale : {0.000375, 0.0015, 0.1, 0.0001, 0.00244140625}) {
    for (int raw = -70000; raw <= 70000; raw += 13) values.push_back(raw * scale);
    for (int raw = -600; raw <= 600; ++raw) values.push_back((raw - 1234) * scale + 25);
  }
  std::string appended = "x";
  for (const double value : values) {
    for (const int decimals : {0, 1, 2, 3, 4, 6}) {
      for (const char separator : {'.', ','}) {
        appended.resize(1);
        AppendFixed(appended, value, decimals, separator);
        const std::string exact = ExactlyFixed(value, decimals, separator);
        ASSERT_EQ(appended.substr(1), exact) << value << " with " << decimals << " decimals";
        ASSERT_EQ(FormatFixed(value, decimals, separator), exact);
      }
    }
  }
}

}  // namespace
}  // namespace qvm
