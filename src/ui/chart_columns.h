// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "records/chart_ring.h"

namespace qvm {

// The pixel columns of a time window: the column of an x, the last one taking all beyond.
struct PixelColumns {
  PixelColumns(double lower, double upper, int columns)
      : lower(lower), perColumn(columns / (upper - lower)), last(columns - 1) {}
  long Of(double x) const { return std::min(static_cast<long>((x - lower) * perColumn), last); }

  double lower;
  double perColumn;
  long last;
};

// The end of the run of points from `first` (before `stop`) that lie in column `column`, the
// columns rising with the points; the search starts from the run being `guess` points long.
template <typename ColumnOf>
std::size_t ColumnEnd(std::size_t first, std::size_t stop, long column, std::size_t guess,
                      ColumnOf columnOf) {
  std::size_t inside = first;
  std::size_t beyond = stop;
  if (guess > 1 && first + guess - 1 < stop) {
    if (columnOf(first + guess - 1) == column) {
      inside = first + guess - 1;
    } else {
      beyond = first + guess - 1;
    }
  }
  for (std::size_t step = 1; beyond == stop && inside + step < stop; step *= 2) {
    if (columnOf(inside + step) != column) {
      beyond = inside + step;
    } else {
      inside += step;
    }
  }
  while (beyond - inside > 1) {
    const std::size_t middle = inside + (beyond - inside) / 2;
    if (columnOf(middle) == column) {
      inside = middle;
    } else {
      beyond = middle;
    }
  }
  return beyond;
}

// Where the pixel columns of a window end among the samples of a store. The series of a chart
// share the store's time values, so each end is searched once for all of them.
class SampleColumnEnds {
 public:
  SampleColumnEnds(RingColumn<double> minutes, double lower, double upper, int columns)
      : minutes_(minutes),
        lower_(lower),
        upper_(upper),
        columns_(columns),
        pixels_(lower, upper, columns) {}

  double Lower() const { return lower_; }
  double Upper() const { return upper_; }
  int Columns() const { return columns_; }

  // The first sample from `sample`, which lies in column `column`, that lies beyond it, or
  // `stop` when none before it does; the search starts from the run being `guess` long.
  std::size_t End(std::size_t sample, long column, std::size_t stop, std::size_t guess);

 private:
  RingColumn<double> minutes_;
  double lower_;
  double upper_;
  int columns_;
  PixelColumns pixels_;
  // The end of each column once found, 0 before; filled on first use.
  std::vector<std::size_t> ends_;
};

}  // namespace qvm
