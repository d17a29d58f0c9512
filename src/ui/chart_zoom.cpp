// SPDX-License-Identifier: MIT
#include "ui/chart_zoom.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace qvm {

namespace {

using SpanTable = std::array<double, kZoomLastPosition>;

constexpr std::array<SpanTable, kZoomAxes> kSpans = {{
    {10, 5, 2, 1, 0.5, 0.2, 0.1, 0.05, 0.02, 0.01},
    {80, 40, 20, 10, 5, 2, 1, 0.5, 0.2, 0.1},
    {250, 100, 50, 25, 10, 5, 2, 1, 0.5, 0.2},
    {2.5, 1, 0.5, 0.2, 0.1, 0.05, 0.02, 0.01, 0.005, 0.002},
    {240, 120, 60, 30, 15, 5, 2.5, 1.5, 1, 0.5},
}};

constexpr std::array<const char*, kZoomAxes> kUnits = {"V", "V", " °C", "V", " min"};

// Smallest time axis, so that the first samples do not squeeze into a point.
constexpr double kShortestTimeAxis = 0.25;

std::string Shortest(double value) {
  std::array<char, 32> text{};
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  return std::string(text.data(), result.ptr);
}

}  // namespace

double ZoomSpan(ZoomAxis axis, int position) {
  const int clamped = std::clamp(position, kZoomFirstPosition, kZoomLastPosition);
  return kSpans[static_cast<std::size_t>(axis)][static_cast<std::size_t>(clamped - 1)];
}

std::string ZoomLabel(ZoomAxis axis, int position) {
  return Shortest(ZoomSpan(axis, position)) + kUnits[static_cast<std::size_t>(axis)];
}

AxisRange TimeAxisRange(AxisRange current, double newest, double span, bool rolling) {
  if (rolling) return {std::max(newest - span, 0.0), std::max(newest, kShortestTimeAxis)};
  if (newest < span) return {0.0, std::max(newest, kShortestTimeAxis)};
  AxisRange range{current.Centre() - span / 2, current.Centre() + span / 2};
  if (range.lower < 0) range = {0.0, span};
  range.upper = std::max(range.upper, newest);
  return range;
}

AxisRange ValueAxisRange(AxisRange current, double span, std::optional<double> floor) {
  double lower = current.Centre() - span / 2;
  if (floor && lower < *floor) lower = *floor;
  return {lower, lower + span};
}

AxisRange CentredOn(AxisRange current, double centre) {
  const double half = current.Span() / 2;
  return {centre - half, centre + half};
}

}  // namespace qvm
