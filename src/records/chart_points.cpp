// SPDX-License-Identifier: MIT
#include "records/chart_points.h"

#include <algorithm>
#include <array>
#include <experimental/simd>

namespace qvm {

namespace {

using Runs = std::array<std::span<const std::int16_t>, 2>;

namespace stdx = std::experimental;
using Keys = stdx::native_simd<std::int16_t>;
constexpr std::size_t kLanes = Keys::size();
// A lane counts the points it scans in a key, one vector past the last included.
static_assert((kChartCapacity / kLanes + 1) * kLanes - 1 <= INT16_MAX);

// A key of a raw value moved so that a value never read (the lowest key) lies above every
// other: the lowest of these is the lowest key read. Wraps, on one value and on vectors alike;
// vectors wrap in unsigned lanes, since a signed lane must not overflow.
std::int16_t LowOrder(std::int16_t key) {
  return static_cast<std::int16_t>(key - 1);
}
Keys LowOrder(Keys key) {
  using Unsigned = stdx::rebind_simd_t<std::uint16_t, Keys>;
  return stdx::static_simd_cast<Keys>(stdx::static_simd_cast<Unsigned>(key) - 1);
}

// The extremes found so far: the lowest order and the highest key, each at its first point.
struct KeyFind {
  std::int16_t lowOrder = INT16_MAX;
  std::int16_t high = kChartNeverRead;
  std::size_t lowest = 0;
  std::size_t highest = 0;

  void TakeLow(std::int16_t order, std::size_t point) {
    if (order < lowOrder) {
      lowOrder = order;
      lowest = point;
    }
  }
  void TakeHigh(std::int16_t key, std::size_t point) {
    if (key > high) {
      high = key;
      highest = point;
    }
  }
};

// Scans `count` points (whole vectors) from `keys`, point `point` first. Each lane keeps its
// extremes and where it first met them; of the lanes that hold an extreme, the first point wins.
template <typename KeyOf>
void ScanVectors(const std::int16_t* keys, std::size_t count, std::size_t point, KeyOf keyOf,
                 KeyFind& find) {
  Keys lowOrder = INT16_MAX;
  Keys high = kChartNeverRead;
  Keys index([](auto lane) { return static_cast<std::int16_t>(lane); });
  Keys lowAt = index;
  Keys highAt = index;
  for (std::size_t i = 0; i < count; i += kLanes, index += static_cast<std::int16_t>(kLanes)) {
    const Keys key = keyOf(Keys(keys + i, stdx::element_aligned));
    const Keys order = LowOrder(key);
    const auto lower = order < lowOrder;
    where(lower, lowOrder) = order;
    where(lower, lowAt) = index;
    const auto higher = key > high;
    where(higher, high) = key;
    where(higher, highAt) = index;
  }
  const std::int16_t lowest = stdx::hmin(lowOrder);
  const std::int16_t highest = stdx::hmax(high);
  where(lowOrder != lowest, lowAt) = INT16_MAX;
  where(high != highest, highAt) = INT16_MAX;
  find.TakeLow(lowest, point + static_cast<std::size_t>(stdx::hmin(lowAt)));
  find.TakeHigh(highest, point + static_cast<std::size_t>(stdx::hmin(highAt)));
}

// Extremes by keys; a value never read keeps its raw value as key, below every other.
template <typename KeyOf>
PointExtremes KeyExtremes(const Runs& runs, std::size_t begin, std::size_t end, KeyOf keyOf) {
  KeyFind find{.lowest = begin, .highest = begin};
  std::size_t point = begin;
  for (const auto& run : runs) {
    const std::size_t whole = run.size() / kLanes * kLanes;
    if (whole > 0) ScanVectors(run.data(), whole, point, keyOf, find);
    for (std::size_t i = whole; i < run.size(); ++i) {
      const std::int16_t key = keyOf(run[i]);
      find.TakeLow(LowOrder(key), point + i);
      find.TakeHigh(key, point + i);
    }
    point += run.size();
  }
  if (find.high == kChartNeverRead) return {end - 1, end - 1};
  return {find.lowest, find.highest};
}

// The keys of each kind, of one raw value or of a vector of them.
// A masked subtraction still computes every lane, so the offset is chosen per lane instead.
template <typename Raw>
Raw CellKey(Raw raw) {
  Raw offset = 0;
  stdx::where(raw > 0x1FFF, offset) = 0x4000;
  return static_cast<Raw>(raw - offset);
}
template <typename Raw>
Raw FaultKey(Raw raw) {
  stdx::where(raw != kChartNeverRead && raw != 0, raw) = 1;
  return raw;
}
template <typename Raw>
Raw RawKey(Raw raw) {
  return raw;
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
      return KeyExtremes(runs, begin, end, [](auto raw) { return CellKey(raw); });
    case ChartKind::Faults:
      return KeyExtremes(runs, begin, end, [](auto raw) { return FaultKey(raw); });
    case ChartKind::Packs:
    case ChartKind::IcTemp:
    case ChartKind::EtVolts:
      break;
  }
  return KeyExtremes(runs, begin, end, [](auto raw) { return RawKey(raw); });
}

}  // namespace qvm
