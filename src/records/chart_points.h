#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "records/chart_series.h"
#include "records/chart_store.h"

namespace qvm {

// The points of one series as the store holds them: x the elapsed minutes of each sample, y
// its value decoded with the store's register model, or its fault level.
class ChartSeriesPoints {
 public:
  // At most `limit` points: the first of the series.
  ChartSeriesPoints(const ChartStore& store, const ChartSeries& series,
                    std::size_t limit = SIZE_MAX)
      : store_(store),
        series_(series),
        column_(store.RawColumn(series)),
        count_(std::min(series.PointCount(), limit)),
        contiguous_(series.samples.size() == 1 && series.samples.front().perSample == 1),
        first_(series.samples.empty() ? 0 : series.samples.front().first) {}

  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }

  double X(std::size_t point) const { return store_.ElapsedMinutes(SampleOf(point)); }
  double Y(std::size_t point) const { return Value(SampleOf(point)); }
  ChartPoint operator[](std::size_t point) const {
    const std::int32_t sample = SampleOf(point);
    return {sample, store_.ElapsedMinutes(sample), Value(sample)};
  }

 private:
  std::int32_t SampleOf(std::size_t point) const {
    return contiguous_ ? first_ + static_cast<std::int32_t>(point) : series_.SampleOf(point);
  }

  double Value(std::int32_t sample) const {
    const std::int16_t raw = column_.values[static_cast<std::size_t>(sample) * column_.stride];
    if (series_.kind != ChartKind::Faults) {
      return DecodedChartValue(series_.kind, store_.Model(), store_.State(), raw);
    }
    if (raw == kChartNeverRead) return NAN;
    return series_.faultLevel + (raw != 0 ? 1.0 : 0.0);
  }

  const ChartStore& store_;
  const ChartSeries& series_;
  ChartStore::Column column_;
  std::size_t count_;
  // One run of one point per sample: point n is sample `first_` + n.
  bool contiguous_;
  std::int32_t first_;
};

}  // namespace qvm
