// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "records/chart_ring.h"
#include "records/chart_series.h"
#include "records/chart_store.h"

namespace qvm {

// Points of a series by their index: the lowest and the highest value among some of them.
struct PointExtremes {
  std::size_t lowest = 0;
  std::size_t highest = 0;
};

// Finds the extremes of points taken in rising order, each the first of its equals. A value
// never read counts only while no value was found: the last of them stands in for both.
template <typename Key>
class ExtremesScan {
 public:
  explicit ExtremesScan(std::size_t first) : found_{first, first} {}

  // Point `point` with its key, or none for a value never read.
  void Take(std::size_t point, std::optional<Key> key) {
    if (!key) {
      if (!any_) found_ = {point, point};
      return;
    }
    if (!any_) {
      any_ = true;
      low_ = high_ = *key;
      found_ = {point, point};
      return;
    }
    if (*key < low_) {
      low_ = *key;
      found_.lowest = point;
    }
    if (*key > high_) {
      high_ = *key;
      found_.highest = point;
    }
  }
  PointExtremes Found() const { return found_; }

 private:
  PointExtremes found_;
  bool any_ = false;
  Key low_{};
  Key high_{};
};

// The extremes of points [begin, end) by their drawn values `valueAt(point)`, NaN for a value
// never read.
template <typename ValueAt>
PointExtremes DrawnExtremes(std::size_t begin, std::size_t end, ValueAt valueAt) {
  ExtremesScan<double> scan(begin);
  for (std::size_t point = begin; point < end; ++point) {
    const double y = valueAt(point);
    scan.Take(point, std::isnan(y) ? std::nullopt : std::optional<double>(y));
  }
  return scan.Found();
}

// The points of one series as the store holds them: x the elapsed minutes of each sample, y
// its value decoded with the store's register model, or its fault level.
class ChartSeriesPoints {
 public:
  ChartSeriesPoints(const ChartStore& store, const ChartSeries& series)
      : store_(store),
        series_(series),
        column_(store.RawColumn(series)),
        minutes_(store.MinutesColumn()),
        count_(series.PointCount()),
        contiguous_(series.samples.size() == 1 && series.samples.front().perSample == 1),
        first_(series.samples.empty() ? 0 : series.samples.front().first),
        keyed_(Keyed()) {}

  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }

  double X(std::size_t point) const { return minutes_[static_cast<std::size_t>(SampleOf(point))]; }
  double Y(std::size_t point) const { return Value(SampleOf(point)); }
  ChartPoint operator[](std::size_t point) const {
    const std::int32_t sample = SampleOf(point);
    return {sample, minutes_[static_cast<std::size_t>(sample)], Value(sample)};
  }

  // The sample of point 0 when point n is sample first + n.
  std::optional<std::size_t> FirstSample() const {
    if (!contiguous_) return std::nullopt;
    return static_cast<std::size_t>(first_);
  }
  // The elapsed minutes of every sample of the store.
  const RingColumn<double>& Minutes() const { return minutes_; }

  // The extremes of points [begin, end) (begin < end) by their drawn values; one point per
  // sample is compared by raw value, without decoding.
  PointExtremes Extremes(std::size_t begin, std::size_t end) const;

 private:
  // Each kind draws a key of the raw value (cells: the 14-bit value read as two's complement;
  // faults: whether the word is set; else the value itself) through a line: true when it rises
  // or falls, so that the extremes of the keys are those of the drawn values.
  bool Keyed() const {
    const double zero = DecodedOf(0);
    const double one = DecodedOf(1);
    return one < zero || one > zero;
  }

  std::int32_t SampleOf(std::size_t point) const {
    return contiguous_ ? first_ + static_cast<std::int32_t>(point) : series_.SampleOf(point);
  }

  double Value(std::int32_t sample) const {
    return DecodedOf(column_[static_cast<std::size_t>(sample)]);
  }

  double DecodedOf(std::int16_t raw) const {
    if (series_.kind != ChartKind::Faults) {
      return DecodedChartValue(series_.kind, store_.Model(), store_.State(), raw);
    }
    if (raw == kChartNeverRead) return NAN;
    return series_.faultLevel + (raw != 0 ? 1.0 : 0.0);
  }

  const ChartStore& store_;
  const ChartSeries& series_;
  RingColumn<std::int16_t> column_;
  RingColumn<double> minutes_;
  std::size_t count_;
  // One run of one point per sample: point n is sample `first_` + n.
  bool contiguous_;
  std::int32_t first_;
  // Extremes are found by keys of the raw values.
  bool keyed_;
};

}  // namespace qvm
