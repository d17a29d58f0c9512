// SPDX-License-Identifier: MIT
#include "ui/chart_traces.h"

#include <algorithm>
#include <cmath>

namespace qvm {

namespace {

bool Overlap(double low, double high, AxisRange range) {
  return low <= range.upper && high >= range.lower;
}

// The value of the line from `a` to `b` at `x`.
double ValueAt(const PlotPoint& a, const PlotPoint& b, double x) {
  if (b.x <= a.x) return a.y;
  return a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
}

// Calls `visit(low, high)` with the values at both ends of every drawn line (a lone point
// being a line to itself) cut to the time window, for each line that enters it.
template <typename Visit>
void ForEachDrawnLine(std::span<const PlotPoint> trace, AxisRange time, Visit visit) {
  for (std::size_t i = 0; i < trace.size(); ++i) {
    const PlotPoint& a = trace[i];
    if (std::isnan(a.y)) continue;
    const bool joined = i + 1 < trace.size() && !std::isnan(trace[i + 1].y);
    const PlotPoint& b = joined ? trace[i + 1] : a;
    if (!Overlap(a.x, b.x, time)) continue;
    visit(ValueAt(a, b, std::max(a.x, time.lower)), ValueAt(a, b, std::min(b.x, time.upper)));
  }
}

}  // namespace

bool TracesReach(const DrawnTraces& traces, AxisRange time, AxisRange values) {
  bool reached = false;
  for (const auto& trace : traces) {
    ForEachDrawnLine(trace, time, [&](double start, double end) {
      reached = reached || Overlap(std::min(start, end), std::max(start, end), values);
    });
  }
  return reached;
}

std::optional<double> NearestDrawnValue(const DrawnTraces& traces, AxisRange time, double value) {
  std::optional<double> nearest;
  const auto take = [&](double y) {
    if (!nearest || std::abs(y - value) < std::abs(*nearest - value)) nearest = y;
  };
  for (const auto& trace : traces) {
    ForEachDrawnLine(trace, time, [&](double start, double end) {
      take(start);
      take(end);
    });
  }
  return nearest;
}

}  // namespace qvm
