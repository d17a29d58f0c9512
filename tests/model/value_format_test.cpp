#include "model/value_format.h"

#include <gtest/gtest.h>

#include <locale>

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

}  // namespace
}  // namespace qvm
