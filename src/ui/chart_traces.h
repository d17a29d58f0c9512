// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "ui/chart_decimation.h"
#include "ui/chart_zoom.h"

namespace qvm {

// The drawn points of the shown series of one chart, each sorted by x; NaN values break a line.
using DrawnTraces = std::vector<std::span<const PlotPoint>>;

// Whether a line or point of `traces` within the time window `time` reaches the value window
// `values`.
bool TracesReach(const DrawnTraces& traces, AxisRange time, AxisRange values);
// The drawn value nearest to `value` among the points within the time window and the values of
// the lines at its edges; nothing when nothing is drawn there.
std::optional<double> NearestDrawnValue(const DrawnTraces& traces, AxisRange time, double value);

}  // namespace qvm
