// SPDX-License-Identifier: MIT
#include "console/read_time_of_day.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "../records/records_fixture.h"

namespace qvm::test {
namespace {

TEST(ReadTimeOfDay, CountsBackFromTheLocalTimeNowToTheSecond) {
  VirtualClock clock;
  FixedLocalTime localTime;  // 5:01:09 PM
  clock.SleepMs(100'000);
  const ReadTimeOfDay timeOfDay(clock, localTime);
  const std::pair<std::int64_t, const char*> cases[] = {
      {100'000, "5:01:09 PM"},
      {99'001, "5:01:09 PM"},
      {98'500, "5:01:08 PM"},
      {39'000, "5:00:08 PM"},
  };
  for (const auto& [readAtMs, expected] : cases) EXPECT_EQ(timeOfDay(readAtMs), expected);
}

}  // namespace
}  // namespace qvm::test
