// SPDX-License-Identifier: MIT
#include "records/chart_points.h"

#include <algorithm>
#include <array>

namespace qvm {

namespace {

using Runs = std::array<std::span<const std::int16_t>, 2>;

// A key of a raw value moved so that, compared unsigned, a value never read (the lowest key)
// lies above every other: the lowest of these is the lowest key read.
std::uint16_t LowOrder(std::int16_t key) {
  return static_cast<std::uint16_t>(key - (kChartNeverRead + 1));
}

// Extremes by keys; a value never read keeps its raw value as key, below every other. One pass
// without branches keeps the first point of the lowest and of the highest key.
template <typename KeyOf>
PointExtremes KeyExtremes(const Runs& runs, std::size_t begin, std::size_t end, KeyOf keyOf) {
  std::uint16_t lowOrder = UINT16_MAX;
  std::int16_t high = kChartNeverRead;
  PointExtremes found{begin, begin};
  std::size_t point = begin;
  for (const auto& run : runs) {
    for (const std::int16_t raw : run) {
      const std::int16_t key = keyOf(raw);
      const std::uint16_t order = LowOrder(key);
      found.lowest = order < lowOrder ? point : found.lowest;
      lowOrder = std::min(lowOrder, order);
      found.highest = key > high ? point : found.highest;
      high = std::max(high, key);
      ++point;
    }
  }
  if (high == kChartNeverRead) return {end - 1, end - 1};
  return found;
}

}  // namespace

PointExtremes ChartSeriesPoints::Extremes(std::size_t begin, std::size_t end) const {
  if (!contiguous_ || !keyed_) {
    return DrawnExtremes(begin, end, [this](std::size_t point) { return Y(point); });
  }
  const auto first = static_cast<std::size_t>(first_);
  const Runs runs = column_.Runs(first + begin, first + end);
  switch (series_.kind) {
    case ChartKind::Cells:
      return KeyExtremes(runs, begin, end, [](std::int16_t raw) {
        return static_cast<std::int16_t>(raw > 0x1FFF ? raw - 0x4000 : raw);
      });
    case ChartKind::Faults:
      return KeyExtremes(runs, begin, end, [](std::int16_t raw) {
        return raw == kChartNeverRead ? raw : static_cast<std::int16_t>(raw != 0);
      });
    case ChartKind::Packs:
    case ChartKind::IcTemp:
    case ChartKind::EtVolts:
      break;
  }
  return KeyExtremes(runs, begin, end, [](std::int16_t raw) { return raw; });
}

}  // namespace qvm
