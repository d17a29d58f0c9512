// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace qvm {

// The axes the chart window's zoom sliders set.
enum class ZoomAxis { CellVoltage, PackVoltage, ITemp, ETemp, Time };
inline constexpr int kZoomAxes = 5;
inline constexpr int kZoomFirstPosition = 1;
inline constexpr int kZoomLastPosition = 10;

struct AxisRange {
  double lower = 0;
  double upper = 0;
  double Centre() const { return (lower + upper) / 2; }
  double Span() const { return upper - lower; }
  bool operator==(const AxisRange&) const = default;
};

// Span of `axis` at slider `position`; positions outside 1..10 count as the nearest end.
double ZoomSpan(ZoomAxis axis, int position);
// The slider's value label: the span in its shortest decimal form and the unit, "0.5V",
// "250 °C", "240 min".
std::string ZoomLabel(ZoomAxis axis, int position);

// The time axis for newest sample time `newest` and span `span`: following the newest sample
// when rolling, else keeping the centre of `current` while the data is longer than the span.
AxisRange TimeAxisRange(AxisRange current, double newest, double span, bool rolling);
// A value axis keeping the centre of `current` with span `span`, not below `floor`.
AxisRange ValueAxisRange(AxisRange current, double span, std::optional<double> floor);
// `current` moved to centre `centre`, keeping its span.
AxisRange CentredOn(AxisRange current, double centre);

}  // namespace qvm
