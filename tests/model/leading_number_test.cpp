// SPDX-License-Identifier: MIT
#include "model/leading_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace qvm {
namespace {

TEST(LeadingNumber, ReadsDecimalNumbersWithSignFractionAndExponent) {
  EXPECT_DOUBLE_EQ(LeadingNumber("42"), 42.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("-17"), -17.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("+8"), 8.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("0.000305176"), 0.000305176);
  EXPECT_DOUBLE_EQ(LeadingNumber(".5"), 0.5);
  EXPECT_DOUBLE_EQ(LeadingNumber("5."), 5.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("1.5e3"), 1500.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("2E-2"), 0.02);
  EXPECT_DOUBLE_EQ(LeadingNumber("-3.5e+1"), -35.0);
}

TEST(LeadingNumber, ReadsHexadecimalAndOctalIntegersInAnyCase) {
  EXPECT_DOUBLE_EQ(LeadingNumber("&H41"), 65.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("&h4f"), 79.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("&HaBc"), 0xABC);
  EXPECT_DOUBLE_EQ(LeadingNumber("&O17"), 15.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("&o777"), 511.0);
}

TEST(LeadingNumber, PrefixedIntegersAreSigned16BitUpToFourSignificantDigits) {
  EXPECT_DOUBLE_EQ(LeadingNumber("&H7FFF"), 32767.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("&H8000"), -32768.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("&HFFFF"), -1.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("&H0FFFF"), -1.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("&H10000"), 65536.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("&H1C000"), 0x1C000);
  EXPECT_DOUBLE_EQ(LeadingNumber("&HFFFFFFFF"), -1.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("&O177777"), -1.0);
  EXPECT_TRUE(std::isinf(LeadingNumber("&H100000000")));
}

TEST(LeadingNumber, StopsAtTheFirstCharacterThatCannotContinue) {
  EXPECT_DOUBLE_EQ(LeadingNumber("12abc"), 12.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("3.25V"), 3.25);
  EXPECT_DOUBLE_EQ(LeadingNumber("1e"), 1.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("1e+"), 1.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("7 8"), 7.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("1.2.3"), 1.2);
  EXPECT_DOUBLE_EQ(LeadingNumber("&H1G"), 1.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("&O78"), 7.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("5\r"), 5.0);
}

TEST(LeadingNumber, SkipsLeadingBlanks) {
  EXPECT_DOUBLE_EQ(LeadingNumber("   9"), 9.0);
  EXPECT_DOUBLE_EQ(LeadingNumber("\t -2.5"), -2.5);
  EXPECT_DOUBLE_EQ(LeadingNumber("  &H10"), 16.0);
}

TEST(LeadingNumber, TextWithoutANumberReadsAsZero) {
  EXPECT_EQ(LeadingNumber(""), 0.0);
  EXPECT_EQ(LeadingNumber("abc"), 0.0);
  EXPECT_EQ(LeadingNumber("-"), 0.0);
  EXPECT_EQ(LeadingNumber("."), 0.0);
  EXPECT_EQ(LeadingNumber("&H"), 0.0);
  EXPECT_EQ(LeadingNumber("&Hxyz"), 0.0);
  EXPECT_EQ(LeadingNumber("&X12"), 0.0);
  EXPECT_EQ(LeadingNumber("- 5"), 0.0);
}

TEST(LeadingNumber, NumbersBeyondDoubleRangeBecomeInfinityOrZero) {
  EXPECT_TRUE(std::isinf(LeadingNumber("1e999")));
  EXPECT_LT(LeadingNumber("-1e999"), 0.0);
  EXPECT_EQ(LeadingNumber("1e-999"), 0.0);
}

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(3.5), 4.0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
  EXPECT_EQ(RoundHalfEven(0.5), 0.0);
  EXPECT_EQ(RoundHalfEven(2.6), 3.0);
  EXPECT_EQ(RoundHalfEven(-2.6), -3.0);
}

TEST(RoundToInteger, RefusesValuesThatDoNotFit) {
  EXPECT_EQ(RoundToInt16(32767.4), 32767);
  EXPECT_EQ(RoundToInt16(-32768.0), -32768);
  EXPECT_FALSE(RoundToInt16(32767.6).has_value());
  EXPECT_FALSE(RoundToInt16(INFINITY).has_value());
  EXPECT_EQ(RoundToInt32(2147483647.0), 2147483647);
  EXPECT_FALSE(RoundToInt32(2147483648.0).has_value());
  EXPECT_FALSE(RoundToInt32(NAN).has_value());
}

TEST(WholeNumber, IsTheLeadingNumberOfATextThatHoldsNothingElse) {
  const struct {
    const char* text;
    std::optional<double> number;
  } cases[] = {
      {"42", 42.0},     {" \t-2.5e1 ", -25.0}, {"&H41", 65.0}, {"&o17\t", 15.0},
      {"&HFFFF", -1.0}, {".5", 0.5},           {"", {}},       {"  ", {}},
      {"hot", {}},      {"nan", {}},           {"inf", {}},    {"12abc", {}},
      {"&H", {}},       {"&H4O", {}},          {"1e", {}},     {"5\r", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WholeNumber(c.text), c.number) << '"' << c.text << '"';
    if (c.number) {
      EXPECT_EQ(*c.number, LeadingNumber(c.text)) << c.text;
    }
  }
}

TEST(ReadHexText, ReadsTheSlotTextAsTheEditorDoes) {
  EXPECT_EQ(ReadHexText("3FFF"), 0x3FFF);
  EXPECT_EQ(ReadHexText("0000"), 0);
  EXPECT_EQ(ReadHexText("8000"), -32768);
  EXPECT_EQ(ReadHexText("FFFF"), -1);
  EXPECT_EQ(ReadHexText("1C000"), 0x1C000);
  EXPECT_EQ(ReadHexText(""), 0);
  EXPECT_EQ(ReadHexText("12 "), 0x12);
  EXPECT_FALSE(ReadHexText("123456789").has_value());
}

}  // namespace
}  // namespace qvm
