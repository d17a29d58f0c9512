// SPDX-License-Identifier: MIT
#include "ui/chart_decimation.h"

#include <algorithm>
#include <optional>

namespace qvm {

namespace {

// Points kept per column: the lowest and the highest, in their order. The column's line runs
// between them, so the other points of the column add nothing visible.
constexpr std::size_t kPerColumn = 2;

// Points held in memory, read as the store's series are.
class PointsInMemory {
 public:
  explicit PointsInMemory(std::span<const ChartPoint> points) : points_(points) {}
  std::size_t size() const { return points_.size(); }
  double X(std::size_t point) const { return points_[point].x; }
  double Y(std::size_t point) const { return points_[point].y; }
  PointExtremes Extremes(std::size_t begin, std::size_t end) const {
    return DrawnExtremes(begin, end, [this](std::size_t point) { return points_[point].y; });
  }

 private:
  std::span<const ChartPoint> points_;
};

// Appends points by index in rising order, each once.
template <typename Source>
class Emitter {
 public:
  Emitter(const Source& points, std::vector<PlotPoint>& out, std::size_t last = 0, bool any = false)
      : points_(points), out_(out), last_(last), any_(any) {}
  void Emit(std::size_t index) {
    if (any_ && index <= last_) return;
    out_.push_back({points_.X(index), points_.Y(index)});
    last_ = index;
    any_ = true;
  }
  void Emit(const PointExtremes& column) {
    Emit(std::min(column.lowest, column.highest));
    Emit(std::max(column.lowest, column.highest));
  }
  std::size_t Last() const { return last_; }
  bool Any() const { return any_; }

 private:
  const Source& points_;
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

// The first point at or after `x` (`after`: the first beyond it), by binary search.
template <typename Source>
std::size_t FirstAt(const Source& points, double x, bool after) {
  std::size_t low = 0;
  std::size_t high = points.size();
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    if (after ? points.X(middle) <= x : points.X(middle) < x) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low;
}

// Where the columns end among the samples, for points that are the samples from `first` on.
struct SharedEnds {
  SampleColumnEnds* ends = nullptr;
  std::size_t first = 0;
};

SharedEnds SharedOf(const PointsInMemory&, SampleColumnEnds*) {
  return {};
}
SharedEnds SharedOf(const ChartSeriesPoints& points, SampleColumnEnds* ends) {
  const std::optional<std::size_t> first = points.FirstSample();
  return ends != nullptr && first ? SharedEnds{ends, *first} : SharedEnds{};
}

// The decimation; with `from` it takes up a scan of the same leading points at the start of
// their last column instead of starting over.
// Points that are samples of the store in order find their column ends through `ends`.
template <typename Source>
ScanEnd Decimate(const Source& points, double lower, double upper, int columns,
                 std::vector<PlotPoint>& out, const ColumnStart* from, SampleColumnEnds* ends) {
  ScanEnd end;
  std::size_t first = FirstAt(points, lower, false);
  std::size_t last = FirstAt(points, upper, true);
  if (first > 0) --first;
  if (last < points.size()) ++last;
  // An upper end below the lower one leaves nothing between them.
  const std::size_t count = last > first ? last - first : 0;
  if (columns < 1 || upper <= lower || count <= kPerColumn * static_cast<std::size_t>(columns)) {
    out.clear();
    out.reserve(count);
    for (std::size_t i = first; i < last; ++i) out.push_back({points.X(i), points.Y(i)});
    return end;
  }
  const PixelColumns pixels(lower, upper, columns);
  const SharedEnds shared = SharedOf(points, ends);
  std::size_t i = first;
  if (from == nullptr) {
    out.clear();
    out.reserve(kPerColumn * static_cast<std::size_t>(columns) + 4);
  } else {
    out.resize(from->outSize);
  }
  Emitter<Source> emit = from == nullptr
                             ? Emitter<Source>(points, out)
                             : Emitter<Source>(points, out, from->lastEmitted, from->anyEmitted);
  // The points beyond the range and the first and last inside it are drawn as they are, so
  // that the line reaches the edges and the newest sample.
  if (from == nullptr && points.X(i) < lower) emit.Emit(i++);
  std::size_t stop = last;
  end.pastEnd = stop > i && points.X(stop - 1) > upper;
  if (end.pastEnd) --stop;
  const auto columnOf = [&points, &pixels](std::size_t at) { return pixels.Of(points.X(at)); };
  long current = -1;
  PointExtremes column;
  std::size_t run = 0;
  if (from == nullptr) {
    if (i < stop) emit.Emit(i);
  } else {
    end.lastColumn = *from;
    current = from->column;
    i = from->index;
  }
  // Column by column: each run of points in one column gives its lowest and highest.
  while (i < stop) {
    const long at = columnOf(i);
    if (at != current) {
      if (current >= 0) emit.Emit(column);
      end.lastColumn = {out.size(), i, at, emit.Last(), emit.Any()};
      current = at;
    }
    const std::size_t next =
        shared.ends != nullptr
            ? shared.ends->End(shared.first + i, at, shared.first + stop, run) - shared.first
            : ColumnEnd(i, stop, at, run, columnOf);
    column = points.Extremes(i, next);
    run = next - i;
    i = next;
  }
  if (current >= 0) emit.Emit(column);
  if (stop > 0) emit.Emit(stop - 1);
  if (end.pastEnd) emit.Emit(stop);
  end.columns = current >= 0;
  return end;
}

}  // namespace

template <typename Source>
SeriesDecimation::Step SeriesDecimation::Plan(const Source& points, double lower, double upper,
                                              int columns) const {
  const std::size_t size = points.size();
  const bool sameWindow = valid_ && lower == lower_ && upper == upper_ && columns == columns_;
  const bool appended = sameWindow && count_ > 0 && size >= count_ && points.X(0) == firstX_ &&
                        points.X(count_ - 1) == lastX_;
  if (sameWindow && size == count_ && (count_ == 0 || appended)) return Step::Nothing;
  // New points beyond a point already drawn past the window change nothing that shows.
  if (appended && scanned_) return pastEnd_ ? Step::PastEnd : Step::TakeUp;
  return Step::StartOver;
}

template <typename Source>
bool SeriesDecimation::UpdateFrom(const Source& points, double lower, double upper, int columns,
                                  SampleColumnEnds* ends) {
  const Step step = Plan(points, lower, upper, columns);
  if (step == Step::Nothing) return false;
  if (step != Step::PastEnd) {
    const ScanEnd end = Decimate(points, lower, upper, columns, out_,
                                 step == Step::TakeUp ? &lastColumn_ : nullptr, ends);
    scanned_ = end.columns;
    pastEnd_ = end.pastEnd;
    lastColumn_ = end.lastColumn;
  }
  const std::size_t size = points.size();
  valid_ = true;
  lower_ = lower;
  upper_ = upper;
  columns_ = columns;
  count_ = size;
  firstX_ = size == 0 ? 0 : points.X(0);
  lastX_ = size == 0 ? 0 : points.X(size - 1);
  return step != Step::PastEnd;
}

void DecimateToColumns(std::span<const ChartPoint> points, double lower, double upper, int columns,
                       std::vector<PlotPoint>& out) {
  Decimate(PointsInMemory(points), lower, upper, columns, out, nullptr, nullptr);
}

void DecimateToColumns(const ChartSeriesPoints& points, double lower, double upper, int columns,
                       std::vector<PlotPoint>& out) {
  SampleColumnEnds ends(points.Minutes(), lower, upper, columns);
  Decimate(points, lower, upper, columns, out, nullptr, &ends);
}

bool SeriesDecimation::Update(std::span<const ChartPoint> points, double lower, double upper,
                              int columns) {
  return UpdateFrom(PointsInMemory(points), lower, upper, columns, nullptr);
}

bool SeriesDecimation::Update(const ChartSeriesPoints& points, double lower, double upper,
                              int columns) {
  SampleColumnEnds ends(points.Minutes(), lower, upper, columns);
  return UpdateFrom(points, lower, upper, columns, &ends);
}

bool SeriesDecimation::Update(const ChartSeriesPoints& points, SampleColumnEnds& ends) {
  return UpdateFrom(points, ends.Lower(), ends.Upper(), ends.Columns(), &ends);
}

}  // namespace qvm
