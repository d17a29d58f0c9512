// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "core/clock.h"
#include "records/local_time.h"

namespace qvm {

// The local time of day of a moment stamped with the session clock: the local time now, less
// the time the session clock has run since, to the second.
class ReadTimeOfDay {
 public:
  ReadTimeOfDay(Clock& clock, LocalTimeSource& localTime)
      : clock_(&clock), localTime_(&localTime) {}

  std::string operator()(std::int64_t clockMs) const;

 private:
  Clock* clock_;
  LocalTimeSource* localTime_;
};

}  // namespace qvm
