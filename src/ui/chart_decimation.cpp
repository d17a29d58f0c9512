#include "ui/chart_decimation.h"

#include <algorithm>

namespace qvm {

namespace {

// Points kept per column: the lowest and the highest, in their order. The column's line runs
// between them, so the other points of the column add nothing visible.
constexpr std::size_t kPerColumn = 2;

struct Column {
  std::size_t lowest = 0;
  std::size_t highest = 0;
};

// Appends points by index in rising order, each once.
class Emitter {
 public:
  Emitter(std::span<const ChartPoint> points, std::vector<PlotPoint>& out)
      : points_(points), out_(out) {}
  void Emit(std::size_t index) {
    if (any_ && index <= last_) return;
    out_.push_back({points_[index].x, points_[index].y});
    last_ = index;
    any_ = true;
  }
  void Emit(const Column& column) {
    Emit(std::min(column.lowest, column.highest));
    Emit(std::max(column.lowest, column.highest));
  }

 private:
  std::span<const ChartPoint> points_;
  std::vector<PlotPoint>& out_;
  std::size_t last_ = 0;
  bool any_ = false;
};

}  // namespace

void DecimateToColumns(std::span<const ChartPoint> points, double lower, double upper, int columns,
                       std::vector<PlotPoint>& out) {
  out.clear();
  const auto byX = [](const ChartPoint& p, double x) { return p.x < x; };
  auto begin = std::lower_bound(points.begin(), points.end(), lower, byX);
  auto end = std::upper_bound(points.begin(), points.end(), upper,
                              [](double x, const ChartPoint& p) { return x < p.x; });
  if (begin != points.begin()) --begin;
  if (end != points.end()) ++end;
  const auto first = static_cast<std::size_t>(begin - points.begin());
  const auto last = static_cast<std::size_t>(end - points.begin());
  const std::size_t count = last - first;
  if (columns < 1 || upper <= lower || count <= kPerColumn * static_cast<std::size_t>(columns)) {
    out.reserve(count);
    for (std::size_t i = first; i < last; ++i) out.push_back({points[i].x, points[i].y});
    return;
  }
  out.reserve(kPerColumn * static_cast<std::size_t>(columns) + 4);
  Emitter emit(points, out);
  const double perColumn = columns / (upper - lower);
  std::size_t i = first;
  // The points beyond the range and the first and last inside it are drawn as they are, so
  // that the line reaches the edges and the newest sample.
  if (points[i].x < lower) emit.Emit(i++);
  std::size_t stop = last;
  const bool pastEnd = stop > i && points[stop - 1].x > upper;
  if (pastEnd) --stop;
  if (i < stop) emit.Emit(i);
  long current = -1;
  Column column;
  for (; i < stop; ++i) {
    const auto at = std::min(static_cast<long>((points[i].x - lower) * perColumn),
                             static_cast<long>(columns - 1));
    if (at != current) {
      if (current >= 0) emit.Emit(column);
      current = at;
      column = {i, i};
      continue;
    }
    if (points[i].y < points[column.lowest].y) column.lowest = i;
    if (points[i].y > points[column.highest].y) column.highest = i;
  }
  if (current >= 0) emit.Emit(column);
  if (stop > 0) emit.Emit(stop - 1);
  if (pastEnd) emit.Emit(stop);
}

}  // namespace qvm
