// SPDX-License-Identifier: MIT
#include "console/read_time_of_day.h"

#include <chrono>

namespace qvm {

std::string ReadTimeOfDay::operator()(std::int64_t clockMs) const {
  const std::chrono::milliseconds since{clock_->NowMs() - clockMs};
  return FormatLongTime(localTime_->Now() -
                        std::chrono::duration_cast<std::chrono::seconds>(since));
}

}  // namespace qvm
