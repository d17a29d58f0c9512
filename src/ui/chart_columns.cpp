// SPDX-License-Identifier: MIT
#include "ui/chart_columns.h"

namespace qvm {

std::size_t SampleColumnEnds::End(std::size_t sample, long column, std::size_t stop,
                                  std::size_t guess) {
  if (ends_.empty()) ends_.assign(static_cast<std::size_t>(columns_), 0);
  const auto slot = static_cast<std::size_t>(column);
  const bool kept = column >= 0 && slot < ends_.size();
  if (kept && ends_[slot] > sample) return std::min(ends_[slot], stop);
  const std::size_t end = ColumnEnd(sample, stop, column, guess,
                                    [this](std::size_t at) { return pixels_.Of(minutes_[at]); });
  // An end at `stop` may lie further on for a series with more samples.
  if (kept && end < stop) ends_[slot] = end;
  return end;
}

}  // namespace qvm
