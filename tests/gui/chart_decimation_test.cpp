// SPDX-License-Identifier: MIT
#include "ui/chart_decimation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <span>
#include <tuple>
#include <utility>
#include <vector>

#include "core/clock.h"
#include "records/chart_store.h"
#include "records_fixture.h"

namespace qvm {
namespace {

std::vector<ChartPoint> Wave(int count, double step) {
  std::vector<ChartPoint> points;
  for (int i = 0; i < count; ++i) points.push_back({i, i * step, std::sin(i * 0.37) + (i == 777)});
  return points;
}

TEST(ChartDecimationTest, FewPointsPassUnchanged) {
  const auto points = Wave(50, 1.0);
  std::vector<PlotPoint> out;
  DecimateToColumns(points, 0, 49, 100, out);
  ASSERT_EQ(out.size(), points.size());
  for (std::size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i].y, points[i].y);
}

TEST(ChartDecimationTest, ManyPointsKeepAtMostTwoPerColumnAndEveryExtreme) {
  const auto points = Wave(32761, 0.01);
  std::vector<PlotPoint> out;
  DecimateToColumns(points, 0, 327.6, 500, out);
  EXPECT_LE(out.size(), 2u * 500 + 4);
  EXPECT_GT(out.size(), 500u);
  EXPECT_TRUE(std::is_sorted(out.begin(), out.end(),
                             [](const PlotPoint& a, const PlotPoint& b) { return a.x < b.x; }));
  const auto byY = [](const auto& a, const auto& b) { return a.y < b.y; };
  EXPECT_EQ(std::max_element(out.begin(), out.end(), byY)->y,
            std::max_element(points.begin(), points.end(), byY)->y);
  EXPECT_EQ(std::min_element(out.begin(), out.end(), byY)->y,
            std::min_element(points.begin(), points.end(), byY)->y);
  EXPECT_EQ(out.front().x, points.front().x);
  EXPECT_EQ(out.back().x, points.back().x);
}

// Values never read come first in a series and draw nothing; the column where the readings
// begin still keeps its extremes.
TEST(ChartDecimationTest, ReadingsAfterValuesNeverReadKeepTheirExtremes) {
  auto points = Wave(1000, 1.0);
  for (int i = 0; i < 50; ++i) points[static_cast<std::size_t>(i)].y = NAN;
  points[50].y = 100.0;
  points[51].y = -100.0;
  std::vector<PlotPoint> out;
  DecimateToColumns(points, 0, 999, 10, out);
  const auto has = [&out](double y) {
    return std::any_of(out.begin(), out.end(), [y](const PlotPoint& p) { return p.y == y; });
  };
  EXPECT_TRUE(has(100.0));
  EXPECT_TRUE(has(-100.0));
}

TEST(ChartDecimationTest, OnlyTheVisibleSpanAndOneNeighbourEachSide) {
  const auto points = Wave(10000, 1.0);
  std::vector<PlotPoint> out;
  DecimateToColumns(points, 5000, 5100, 400, out);
  ASSERT_EQ(out.size(), 103u);
  EXPECT_EQ(out.front().x, 4999);
  EXPECT_EQ(out.back().x, 5101);
  DecimateToColumns(points, 2000.5, 9000, 100, out);
  EXPECT_EQ(out.front().x, 2000);
  EXPECT_EQ(out.back().x, 9001);
  EXPECT_LE(out.size(), 204u);
}

TEST(ChartDecimationTest, EmptyAndOutOfRangeSeries) {
  std::vector<PlotPoint> out{{1, 1}};
  DecimateToColumns({}, 0, 10, 100, out);
  EXPECT_TRUE(out.empty());
  const auto points = Wave(20, 1.0);
  DecimateToColumns(points, 100, 200, 100, out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out.front().x, 19);
}

// Points appended one or many at a time, the window now and then moved or widened: the kept
// decimation always equals a decimation from scratch.
TEST(ChartDecimationTest, AppendedPointsGiveWhatAFullDecimationGives) {
  const auto all = Wave(6000, 0.01);
  struct Window {
    double lower;
    double upper;
    int columns;
  };
  const std::vector<Window> windows = {{0, 80, 300}, {10, 30, 200}, {0, 0.5, 100}, {25, 90, 10}};
  for (const Window& window : windows) {
    SeriesDecimation kept;
    std::vector<PlotPoint> fresh;
    std::size_t count = 0;
    for (int step = 0; count < all.size(); ++step) {
      count = std::min(all.size(), count + (step % 7 == 0 ? 400 : 1 + step % 5));
      const std::span<const ChartPoint> points(all.data(), count);
      const double lower =
          step % 97 == 50 ? window.lower + (window.upper - window.lower) / 4 : window.lower;
      kept.Update(points, lower, window.upper, window.columns);
      DecimateToColumns(points, lower, window.upper, window.columns, fresh);
      ASSERT_EQ(kept.Points(), fresh)
          << "window " << window.lower << ".." << window.upper << ", " << count << " points";
      EXPECT_FALSE(kept.Update(points, lower, window.upper, window.columns));
    }
  }
}

TEST(ChartDecimationTest, DroppedPointsAreDecimatedAfresh) {
  auto points = Wave(9000, 0.01);
  SeriesDecimation kept;
  std::vector<PlotPoint> fresh;
  ASSERT_TRUE(kept.Update(points, 0, 100, 250));
  points.erase(points.begin(), points.begin() + 600);
  ASSERT_TRUE(kept.Update(points, 0, 100, 250));
  DecimateToColumns(points, 0, 100, 250, fresh);
  EXPECT_EQ(kept.Points(), fresh);
}

// Series read from a store that dropped its oldest samples, decimated at once and sample by
// sample, give what the same points held in memory give.
TEST(ChartDecimationTest, StoreSeriesDecimateAsTheirPointsInMemory) {
  RegisterModel model;
  model.type[0].RegScale[0x41] = 0.000375;
  model.type[0].RegScale[0x40] = 0.0015;
  RegisterImage image;
  SharedState state;
  state.DaisyChainMode = true;
  VirtualClock clock;
  test::FixedLocalTime time;
  ChartStore store(model, image, state, clock, time);
  ASSERT_TRUE(store.HandlePackSelectCombobox(1, 0, true));
  std::vector<SeriesDecimation> kept(3);
  const auto check = [&store, &kept](double lower, double upper, int columns) {
    const std::vector<const ChartSeries*> series = {&store.Series().Series(ChartKind::Cells, 5),
                                                    &store.Series().Series(ChartKind::Packs, 0),
                                                    &store.Series().Series(ChartKind::Faults, 1)};
    for (std::size_t s = 0; s < series.size(); ++s) {
      const ChartSeriesPoints points(store, *series[s]);
      std::vector<ChartPoint> held;
      for (std::size_t n = 0; n < points.size(); ++n) held.push_back(points[n]);
      std::vector<PlotPoint> fromStore;
      std::vector<PlotPoint> fromMemory;
      DecimateToColumns(points, lower, upper, columns, fromStore);
      DecimateToColumns(held, lower, upper, columns, fromMemory);
      ASSERT_EQ(fromStore, fromMemory) << s;
      kept[s].Update(points, lower, upper, columns);
      ASSERT_EQ(kept[s].Points(), fromMemory) << s;
    }
  };
  for (int i = 0; i < kChartCapacity + 400; ++i) {
    image.StoreRead(0, 1, 0x46, static_cast<std::int16_t>(6000 + 3000 * std::sin(i * 0.01)), 1);
    image.StoreRead(0, 1, 0x40, static_cast<std::int16_t>(20000 + i % 301), 1);
    image.StoreRead(1, 1, 0x84, static_cast<std::int16_t>(i / 700 % 2), 1);
    store.AddNewVoltageDataToChartArray();
    clock.SleepMs(500 + i % 3);
    const bool nearDrop = i >= kChartFullIndex - 2 && i <= kChartFullIndex + 2;
    if (i % 4000 == 0 || nearDrop || (i > kChartFullIndex && i % 97 == 0)) check(10, 300, 400);
    // The whole store in one column, in one run and in two: longer than one vector scan.
    if (i == kChartFullIndex - 1 || i == kChartFullIndex + 300) check(0, 400, 1);
  }
  check(0, 60, 800);
}

// Store series decimate by their raw values as the same points held in memory do, whatever the
// sign of the scale, with no scale, and across stretches of values never read.
TEST(ChartDecimationTest, StoreSeriesOfEveryScaleDecimateAsTheirPointsInMemory) {
  for (const double scale : {0.000375, -0.000375, 0.0}) {
    RegisterModel model;
    model.type[0].RegScale[0x41] = scale;
    model.type[0].RegScale[0x50] = scale;
    RegisterImage image;
    SharedState state;
    VirtualClock clock;
    test::FixedLocalTime time;
    ChartStore store(model, image, state, clock, time);
    for (int i = 0; i < 3000; ++i) {
      if (i % 500 < 40) {
        image.Clear();
      } else {
        const double wave = std::sin(i * 0.05);
        image.StoreRead(0, 1, 0x41, static_cast<std::int16_t>(0x1000 + 0x1800 * wave), 1);
        image.StoreRead(0, 1, 0x50, static_cast<std::int16_t>(9000 + 300 * wave), 1);
        image.StoreRead(1, 1, 0x84, static_cast<std::int16_t>(i / 70 % 2), 1);
      }
      store.AddNewVoltageDataToChartArray();
      clock.SleepMs(500);
    }
    for (const auto& [kind, index] :
         {std::pair{ChartKind::Cells, 0}, std::pair{ChartKind::IcTemp, 0},
          std::pair{ChartKind::Faults, 1}}) {
      const ChartSeriesPoints points(store, store.Series().Series(kind, index));
      std::vector<ChartPoint> held;
      for (std::size_t n = 0; n < points.size(); ++n) held.push_back(points[n]);
      for (const auto& [lower, upper, columns] : {std::tuple{0.0, 25.0, 100}, {3.0, 20.0, 37}}) {
        std::vector<PlotPoint> fromStore;
        std::vector<PlotPoint> fromMemory;
        DecimateToColumns(points, lower, upper, columns, fromStore);
        DecimateToColumns(held, lower, upper, columns, fromMemory);
        ASSERT_EQ(fromStore.size(), fromMemory.size()) << scale << " " << index;
        for (std::size_t n = 0; n < fromStore.size(); ++n) {
          ASSERT_EQ(fromStore[n].x, fromMemory[n].x) << scale << " " << index << " " << n;
          ASSERT_TRUE(fromStore[n].y == fromMemory[n].y ||
                      (std::isnan(fromStore[n].y) && std::isnan(fromMemory[n].y)));
        }
      }
    }
  }
}

}  // namespace
}  // namespace qvm
