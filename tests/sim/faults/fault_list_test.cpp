// SPDX-License-Identifier: MIT
#include "sim/faults/fault_list.h"

#include <gtest/gtest.h>

namespace qvm::sim {
namespace {

TEST(FaultListTest, ParsesRatesExchangeNumbersReplugAndDenied) {
  std::string error;
  const auto list =
      ParseFaultList("crc=0.02, nak@17,unplug@40,replug=500,denied,drop=1,rid=0.5", error);
  ASSERT_TRUE(list) << error;
  const std::vector<FaultRule> rules{{FaultKind::Crc, 0.02, std::nullopt},
                                     {FaultKind::Nak, 0.0, 17},
                                     {FaultKind::Unplug, 0.0, 40},
                                     {FaultKind::Drop, 1.0, std::nullopt},
                                     {FaultKind::Rid, 0.5, std::nullopt}};
  EXPECT_EQ(list->rules, rules);
  EXPECT_EQ(list->replugMs, 500);
  EXPECT_TRUE(list->denied);

  for (std::size_t k = 0; k < kFaultKindCount; ++k) {
    const auto kind = static_cast<FaultKind>(k);
    const auto one = ParseFaultList(std::string(FaultKindName(kind)) + "@3", error);
    ASSERT_TRUE(one) << FaultKindName(kind) << ": " << error;
    EXPECT_EQ(one->rules.at(0).kind, kind);
    EXPECT_NE(FaultListHelp().find(FaultKindName(kind)), std::string::npos);
  }
}

TEST(FaultListTest, AFlagSetsItsSwitchAlone) {
  const std::vector<std::pair<std::string, bool FaultList::*>> flags{
      {"denied", &FaultList::denied},
      {"mute", &FaultList::mute},
      {"stray", &FaultList::stray},
  };
  for (const auto& [name, flag] : flags) {
    std::string error;
    const auto list = ParseFaultList(name, error);
    ASSERT_TRUE(list) << name << ": " << error;
    FaultList expected;
    expected.*flag = true;
    EXPECT_EQ(*list, expected) << name;
    EXPECT_NE(FaultListHelp().find(name), std::string::npos) << name;
  }
}

TEST(FaultListTest, RefusesMalformedItemsWithAReason) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"", "empty item"},
      {"crc=0.1,", "empty item"},
      {"bogus=0.1", "unknown fault 'bogus'"},
      {"crc", "needs a rate"},
      {"crc=1.5", "from 0 to 1"},
      {"crc=-0.1", "from 0 to 1"},
      {"crc=abc", "from 0 to 1"},
      {"nak@0", "1 or more"},
      {"nak@x", "1 or more"},
      {"nak@-3", "1 or more"},
      {"rid", "needs a rate"},
      {"rid@0", "1 or more"},
      {"rids=0.1", "unknown fault 'rids'"},
      {"replug", "milliseconds"},
      {"replug@5", "milliseconds"},
      {"replug=-1", "milliseconds"},
      {"denied=1", "denied stands alone"},
      {"mute@3", "mute stands alone"},
      {"muted", "unknown fault 'muted'"},
      {"stray=0.5", "stray stands alone"},
  };
  for (const auto& [text, reason] : cases) {
    std::string error;
    EXPECT_FALSE(ParseFaultList(text, error)) << text;
    EXPECT_NE(error.find(reason), std::string::npos) << text << " -> " << error;
  }
}

}  // namespace
}  // namespace qvm::sim
