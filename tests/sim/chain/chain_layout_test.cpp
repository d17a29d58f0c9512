// SPDX-License-Identifier: MIT
#include "sim/chain/chain_layout.h"

#include <gtest/gtest.h>

namespace qvm::sim {
namespace {

ChainLayout Parse(const char* text) {
  std::string error;
  auto chainLayout = ParseChainLayout(text, error);
  EXPECT_TRUE(chainLayout.has_value()) << text << ": " << error;
  EXPECT_TRUE(error.empty());
  return chainLayout.value_or(ChainLayout{});
}

TEST(ChainLayoutTest, ParsesTheDaisyAndSingleForms) {
  const ChainLayout three = Parse("daisy:52400x3");
  EXPECT_EQ(three.mode, ChainMode::kDaisy);
  EXPECT_EQ(three.family, PrimaryFamily::k52400);
  EXPECT_EQ(three.primaryCount, 3);
  EXPECT_EQ(three.companionCount, 0);

  const ChainLayout mixed = Parse("daisy:52400x3+52401x2");
  EXPECT_EQ(mixed.primaryCount, 3);
  EXPECT_EQ(mixed.companionCount, 2);
  EXPECT_EQ(mixed.Count(1), 2);

  const ChainLayout single = Parse("single:38817");
  EXPECT_EQ(single.mode, ChainMode::kSingle);
  EXPECT_EQ(single.family, PrimaryFamily::k38817);
  EXPECT_EQ(single.primaryCount, 1);

  const ChainLayout companions = Parse("daisy:52401x2");
  EXPECT_EQ(companions.primaryCount, 0);
  EXPECT_EQ(companions.companionCount, 2);

  EXPECT_EQ(Parse("daisy:38817x2").family, PrimaryFamily::k38817);
  EXPECT_EQ(Parse("  single:52400  ").primaryCount, 1);
  EXPECT_EQ(Parse("daisy:52400").primaryCount, 1);
  EXPECT_EQ(Parse("daisy:52401x1+52400x14").primaryCount, 14);
}

TEST(ChainLayoutTest, TextRoundTrips) {
  for (const char* text : {"daisy:52400x3", "daisy:52400x3+52401x2", "single:52400", "single:38817",
                           "daisy:38817x2", "daisy:52401x2", "single:52400+52401"}) {
    EXPECT_EQ(Parse(text).ToString(), text);
    EXPECT_EQ(Parse(Parse(text).ToString().c_str()), Parse(text));
  }
}

struct Malformed {
  const char* text;
  const char* mentions;
};

class ChainLayoutMalformedTest : public testing::TestWithParam<Malformed> {};

TEST_P(ChainLayoutMalformedTest, IsRejectedWithAReason) {
  std::string error;
  EXPECT_FALSE(ParseChainLayout(GetParam().text, error).has_value());
  EXPECT_NE(error.find(GetParam().mentions), std::string::npos) << error;
  EXPECT_NE(error.find("chain '"), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ChainLayoutMalformedTest,
    testing::Values(
        Malformed{"", "expected 'daisy:' or 'single:'"},
        Malformed{"52400x3", "expected 'daisy:' or 'single:'"},
        Malformed{"ring:52400x3", "unknown mode 'ring'"}, Malformed{"daisy:", "no parts"},
        Malformed{"daisy:52400x0", "1 to 14"}, Malformed{"daisy:52400x15", "1 to 14"},
        Malformed{"daisy:52400x-1", "1 to 14"}, Malformed{"daisy:52400x", "whole number"},
        Malformed{"daisy:52400x3a", "whole number"}, Malformed{"daisy:52400xx3", "whole number"},
        Malformed{"daisy:52402x3", "unknown part '52402'"},
        Malformed{"daisy:52400x2+38817x1", "only one of 52400 and 38817"},
        Malformed{"daisy:52401x1+52401x2", "52401 is given twice"},
        Malformed{"daisy:52400x2++52401", "empty part"}, Malformed{"daisy:52400x2+", "empty part"},
        Malformed{"single:52400x2", "one device per type"},
        Malformed{"daisy:52400x99999999999", "whole number"}));

}  // namespace
}  // namespace qvm::sim
