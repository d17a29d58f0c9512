// SPDX-License-Identifier: MIT
#include "model/balance_lists.h"

#include <gtest/gtest.h>

namespace qvm {
namespace {

TEST(BalanceListsTest, ModeAndWaitEntriesAreIndexedByTheirCode) {
  EXPECT_EQ(BalanceModeEntries(), (std::vector<std::string>{"Off", "Manual", "Timed", "Auto"}));
  const auto wait = BalanceWaitEntries();
  ASSERT_EQ(wait.size(), 8u);
  EXPECT_EQ(wait[1], "1 second");
  EXPECT_EQ(wait[4], "8 seconds");
  EXPECT_EQ(wait[7], "64 seconds");
}

TEST(BalanceListsTest, TimeoutEntriesCountThirdsOfAMinuteAndPluraliseAboveOne) {
  const auto entries = BalanceTimeoutEntries('.');
  ASSERT_EQ(entries.size(), 128u);
  EXPECT_EQ(entries[0], "Disabled");
  EXPECT_EQ(entries[1], "0.33 Minute");
  EXPECT_EQ(entries[2], "0.67 Minute");
  EXPECT_EQ(entries[3], "1.00 Minute");
  EXPECT_EQ(entries[4], "1.33 Minutes");
  EXPECT_EQ(entries[127], "42.33 Minutes");
  EXPECT_EQ(BalanceTimeoutEntries(',')[4], "1,33 Minutes");
}

}  // namespace
}  // namespace qvm
