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
  Emitter(std::span<const ChartPoint> points, std::vector<PlotPoint>& out, std::size_t last = 0,
          bool any = false)
      : points_(points), out_(out), last_(last), any_(any) {}
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
  std::size_t Last() const { return last_; }
  bool Any() const { return any_; }

 private:
  std::span<const ChartPoint> points_;
  std::vector<PlotPoint>& out_;
  std::size_t last_;
  bool any_;
};

using ColumnStart = SeriesDecimation::ColumnStart;

// How a decimation ended.
struct ScanEnd {
  bool columns = false;    // the column scan ran over points inside the window
  bool pastEnd = false;    // a point beyond the window's upper end was drawn
  ColumnStart lastColumn;  // where its last column began
};

// The decimation; with `from` it takes up a scan of the same leading points at the start of
// their last column instead of starting over.
ScanEnd Decimate(std::span<const ChartPoint> points, double lower, double upper, int columns,
                 std::vector<PlotPoint>& out, const ColumnStart* from) {
  ScanEnd end;
  const auto byX = [](const ChartPoint& p, double x) { return p.x < x; };
  auto begin = std::lower_bound(points.begin(), points.end(), lower, byX);
  auto stopAt = std::upper_bound(points.begin(), points.end(), upper,
                                 [](double x, const ChartPoint& p) { return x < p.x; });
  if (begin != points.begin()) --begin;
  if (stopAt != points.end()) ++stopAt;
  const auto first = static_cast<std::size_t>(begin - points.begin());
  const auto last = static_cast<std::size_t>(stopAt - points.begin());
  // An upper end below the lower one leaves nothing between them.
  const std::size_t count = last > first ? last - first : 0;
  if (columns < 1 || upper <= lower || count <= kPerColumn * static_cast<std::size_t>(columns)) {
    out.clear();
    out.reserve(count);
    for (std::size_t i = first; i < last; ++i) out.push_back({points[i].x, points[i].y});
    return end;
  }
  const double perColumn = columns / (upper - lower);
  std::size_t i = first;
  if (from == nullptr) {
    out.clear();
    out.reserve(kPerColumn * static_cast<std::size_t>(columns) + 4);
  } else {
    out.resize(from->outSize);
  }
  Emitter emit = from == nullptr ? Emitter(points, out)
                                 : Emitter(points, out, from->lastEmitted, from->anyEmitted);
  // The points beyond the range and the first and last inside it are drawn as they are, so
  // that the line reaches the edges and the newest sample.
  if (from == nullptr && points[i].x < lower) emit.Emit(i++);
  std::size_t stop = last;
  end.pastEnd = stop > i && points[stop - 1].x > upper;
  if (end.pastEnd) --stop;
  long current = -1;
  Column column;
  if (from == nullptr) {
    if (i < stop) emit.Emit(i);
  } else {
    end.lastColumn = *from;
    current = from->column;
    i = from->index;
    column = {i, i};
    ++i;
  }
  for (; i < stop; ++i) {
    const auto at = std::min(static_cast<long>((points[i].x - lower) * perColumn),
                             static_cast<long>(columns - 1));
    if (at != current) {
      if (current >= 0) emit.Emit(column);
      end.lastColumn = {out.size(), i, at, emit.Last(), emit.Any()};
      current = at;
      column = {i, i};
      continue;
    }
    if (points[i].y < points[column.lowest].y) column.lowest = i;
    if (points[i].y > points[column.highest].y) column.highest = i;
  }
  if (current >= 0) emit.Emit(column);
  if (stop > 0) emit.Emit(stop - 1);
  if (end.pastEnd) emit.Emit(stop);
  end.columns = current >= 0;
  return end;
}

}  // namespace

void DecimateToColumns(std::span<const ChartPoint> points, double lower, double upper, int columns,
                       std::vector<PlotPoint>& out) {
  Decimate(points, lower, upper, columns, out, nullptr);
}

bool SeriesDecimation::Update(std::span<const ChartPoint> points, double lower, double upper,
                              int columns) {
  const bool sameWindow = valid_ && lower == lower_ && upper == upper_ && columns == columns_;
  const bool appended = sameWindow && count_ > 0 && points.size() >= count_ &&
                        points.front().x == firstX_ && points[count_ - 1].x == lastX_;
  if (sameWindow && points.size() == count_ && (count_ == 0 || appended)) return false;
  // New points beyond a point already drawn past the window change nothing that shows.
  const bool changed = !(appended && scanned_ && pastEnd_);
  if (changed) {
    const ScanEnd end = Decimate(points, lower, upper, columns, out_,
                                 appended && scanned_ ? &lastColumn_ : nullptr);
    scanned_ = end.columns;
    pastEnd_ = end.pastEnd;
    lastColumn_ = end.lastColumn;
  }
  valid_ = true;
  lower_ = lower;
  upper_ = upper;
  columns_ = columns;
  count_ = points.size();
  firstX_ = points.empty() ? 0 : points.front().x;
  lastX_ = points.empty() ? 0 : points.back().x;
  return changed;
}

}  // namespace qvm
