// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "records/chart_points.h"
#include "records/chart_series.h"
#include "ui/chart_columns.h"

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
void DecimateToColumns(const ChartSeriesPoints& points, double lower, double upper, int columns,
                       std::vector<PlotPoint>& out);

// The same decimation kept up to date for one series: when points were only appended and the
// window stayed, the scan is taken up again where the last column of the previous result began.
class SeriesDecimation {
 public:
  // Where a column of the scan began: enough to take the scan up again there.
  struct ColumnStart {
    std::size_t outSize = 0;
    std::size_t index = 0;
    long column = -1;
    std::size_t lastEmitted = 0;
    bool anyEmitted = false;
  };

  // Brings Points() up to date for `points` over the window; false when what shows stayed.
  bool Update(std::span<const ChartPoint> points, double lower, double upper, int columns);
  bool Update(const ChartSeriesPoints& points, double lower, double upper, int columns);
  // The same over the window of `ends`, shared by the series of one chart.
  bool Update(const ChartSeriesPoints& points, SampleColumnEnds& ends);
  const std::vector<PlotPoint>& Points() const { return out_; }

 private:
  // What an update does: nothing; take up the previous scan; only count new points that lie
  // beyond one already drawn past the window; or scan from the start.
  enum class Step { Nothing, TakeUp, PastEnd, StartOver };
  template <typename Source>
  Step Plan(const Source& points, double lower, double upper, int columns) const;
  template <typename Source>
  bool UpdateFrom(const Source& points, double lower, double upper, int columns,
                  SampleColumnEnds* ends);

  std::vector<PlotPoint> out_;
  bool valid_ = false;
  double lower_ = 0;
  double upper_ = 0;
  int columns_ = 0;
  std::size_t count_ = 0;
  double firstX_ = 0;
  double lastX_ = 0;
  // How the previous result ended: from the column scan, with a point drawn beyond the window.
  bool scanned_ = false;
  bool pastEnd_ = false;
  ColumnStart lastColumn_;
};

}  // namespace qvm
