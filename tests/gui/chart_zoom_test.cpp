// SPDX-License-Identifier: MIT
#include "ui/chart_zoom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ui/chart_traces.h"

namespace qvm {
namespace {

TEST(ChartZoomTest, SpansAndLabelsOfEverySlider) {
  EXPECT_EQ(ZoomLabel(ZoomAxis::CellVoltage, 1), "10V");
  EXPECT_EQ(ZoomLabel(ZoomAxis::CellVoltage, 5), "0.5V");
  EXPECT_EQ(ZoomLabel(ZoomAxis::CellVoltage, 10), "0.01V");
  EXPECT_EQ(ZoomLabel(ZoomAxis::PackVoltage, 1), "80V");
  EXPECT_EQ(ZoomLabel(ZoomAxis::PackVoltage, 10), "0.1V");
  EXPECT_EQ(ZoomLabel(ZoomAxis::ITemp, 1), "250 °C");
  EXPECT_EQ(ZoomLabel(ZoomAxis::ITemp, 10), "0.2 °C");
  EXPECT_EQ(ZoomLabel(ZoomAxis::ETemp, 1), "2.5V");
  EXPECT_EQ(ZoomLabel(ZoomAxis::ETemp, 9), "0.005V");
  EXPECT_EQ(ZoomLabel(ZoomAxis::Time, 1), "240 min");
  EXPECT_EQ(ZoomLabel(ZoomAxis::Time, 7), "2.5 min");
  EXPECT_EQ(ZoomLabel(ZoomAxis::Time, 10), "0.5 min");
}

TEST(ChartZoomTest, PositionsOutsideTheSliderAreClamped) {
  for (int a = 0; a < kZoomAxes; ++a) {
    const auto axis = static_cast<ZoomAxis>(a);
    EXPECT_EQ(ZoomSpan(axis, 0), ZoomSpan(axis, 1));
    EXPECT_EQ(ZoomSpan(axis, -3), ZoomSpan(axis, 1));
    EXPECT_EQ(ZoomSpan(axis, 11), ZoomSpan(axis, 10));
    EXPECT_GT(ZoomSpan(axis, 1), ZoomSpan(axis, 10));
  }
}

TEST(ChartZoomTest, RollingTimeAxisFollowsTheNewestSample) {
  EXPECT_EQ(TimeAxisRange({0, 30}, 0.1, 30, true), (AxisRange{0, 0.25}));
  EXPECT_EQ(TimeAxisRange({0, 30}, 12, 30, true), (AxisRange{0, 12}));
  EXPECT_EQ(TimeAxisRange({0, 30}, 100, 30, true), (AxisRange{70, 100}));
}

TEST(ChartZoomTest, FixedTimeAxisKeepsItsCentreOnceTheDataIsLonger) {
  EXPECT_EQ(TimeAxisRange({5, 6}, 0, 30, false), (AxisRange{0, 0.25}));
  EXPECT_EQ(TimeAxisRange({0, 1}, 20, 30, false), (AxisRange{0, 20}));
  // Centre 40: the span sits around it and the newest sample widens the end.
  EXPECT_EQ(TimeAxisRange({30, 50}, 45, 30, false), (AxisRange{25, 55}));
  EXPECT_EQ(TimeAxisRange({30, 50}, 70, 30, false), (AxisRange{25, 70}));
  // A centre too near the start runs from 0.
  EXPECT_EQ(TimeAxisRange({0, 10}, 45, 30, false), (AxisRange{0, 45}));
  EXPECT_EQ(TimeAxisRange({0, 10}, 30, 30, false), (AxisRange{0, 30}));
}

TEST(ChartZoomTest, ValueAxisKeepsItsCentreAboveTheFloor) {
  EXPECT_EQ(ValueAxisRange({3, 4}, 1, 0.0), (AxisRange{3, 4}));
  EXPECT_EQ(ValueAxisRange({3, 4}, 0.5, 0.0), (AxisRange{3.25, 3.75}));
  EXPECT_EQ(ValueAxisRange({3, 4}, 10, 0.0), (AxisRange{0, 10}));
  EXPECT_EQ(ValueAxisRange({0, 80}, 80, -5.0), (AxisRange{0, 80}));
  EXPECT_EQ(ValueAxisRange({0, 10}, 80, -5.0), (AxisRange{-5, 75}));
  EXPECT_EQ(ValueAxisRange({0, 10}, 80, std::nullopt), (AxisRange{-35, 45}));
  EXPECT_EQ(CentredOn({0, 10}, 3.5), (AxisRange{-1.5, 8.5}));
}

// Which drawn lines reach a value window within a time window, and the nearest drawn value.
TEST(ChartTracesTest, LinesWithinTheTimeWindowReachTheValueWindow) {
  struct Case {
    std::vector<PlotPoint> trace;
    bool reached;
    std::optional<double> nearest;  // to the window's centre, 5
  };
  const AxisRange time{10, 20};
  const AxisRange values{4, 6};
  const std::vector<Case> cases = {
      {{{12, 5}}, true, 5},
      {{{12, 9}, {15, 8}}, false, 8},
      // A line from below to above the window crosses it.
      {{{12, 1}, {14, 9}}, true, 1},
      // A value never read breaks the line.
      {{{12, 1}, {13, NAN}, {14, 9}}, false, 1},
      // Lines entering the time window count from its edge on.
      {{{2, 5}, {8, 5}, {12, 9}}, false, 7},
      {{{6, 5}, {14, 9}}, false, 7},
      {{{8, 5}, {12, 5}}, true, 5},
      {{{22, 5}, {25, 5}}, false, std::nullopt},
      {{}, false, std::nullopt},
  };
  for (std::size_t c = 0; c < cases.size(); ++c) {
    const DrawnTraces traces = {cases[c].trace};
    EXPECT_EQ(TracesReach(traces, time, values), cases[c].reached) << c;
    EXPECT_EQ(NearestDrawnValue(traces, time, values.Centre()), cases[c].nearest) << c;
  }
  const std::vector<PlotPoint> above = {{12, 7}};
  const std::vector<PlotPoint> below = {{12, 4.5}};
  EXPECT_TRUE(TracesReach({above, below}, time, values));
  EXPECT_EQ(NearestDrawnValue({above, below}, time, 5), 4.5);
}

}  // namespace
}  // namespace qvm
