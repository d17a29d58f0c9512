#pragma once

#include <span>
#include <vector>

#include "records/chart_series.h"

namespace qvm {

struct PlotPoint {
  double x = 0;
  double y = 0;
  bool operator==(const PlotPoint&) const = default;
};

// The points of `points` (sorted by x) that a line over `columns` pixel columns from `lower`
// to `upper` needs: per column the lowest and the highest point in their order, plus
// the nearest point beyond each end so the line reaches the edges. Few points pass unchanged.
void DecimateToColumns(std::span<const ChartPoint> points, double lower, double upper, int columns,
                       std::vector<PlotPoint>& out);

}  // namespace qvm
