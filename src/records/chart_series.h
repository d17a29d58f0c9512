// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qvm {

// The five charts of the chart window.
enum class ChartKind { Cells, Packs, IcTemp, EtVolts, Faults };
inline constexpr int kChartKinds = 5;

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Rgb&) const = default;
};

// One drawn point; `sample` is the store index it came from.
struct ChartPoint {
  std::int32_t sample = 0;
  double x = 0;
  double y = 0;
};

// Samples of the store that gave a series points: `count` samples from `first`, each giving
// `perSample` points (two when both shown devices are the same pack).
struct ChartSampleRun {
  std::int32_t first = 0;
  std::int32_t count = 0;
  std::int32_t perSample = 1;
};

// A series draws one value of one stored device: cell or input `column` of `device`, its pack
// voltage or internal temperature, or its fault status word `column` as a level at
// `faultLevel`, raised by one while the word is not zero. The points are read from the store.
struct ChartSeries {
  std::string name;
  // Nothing: the drawing component's own colour.
  std::optional<Rgb> colour;
  bool visible = true;
  ChartKind kind = ChartKind::Cells;
  int device = 0;
  int column = 0;
  double faultLevel = 0;
  std::vector<ChartSampleRun> samples;

  // Adds `points` points of store sample `sample` (the newest).
  void AddSample(std::int32_t sample, std::int32_t points);
  std::size_t PointCount() const;
  // The store sample of point `point` (< PointCount()).
  std::int32_t SampleOf(std::size_t point) const {
    auto run = samples.begin();
    for (; run + 1 != samples.end(); ++run) {
      const std::size_t points =
          static_cast<std::size_t>(run->count) * static_cast<std::size_t>(run->perSample);
      if (point < points) break;
      point -= points;
    }
    const auto perSample = static_cast<std::size_t>(run->perSample);
    return run->first + static_cast<std::int32_t>(perSample == 1 ? point : point / perSample);
  }
};

// Colours of the twelve cell series of a pack, in cell order.
inline constexpr std::array<Rgb, 12> kCellSeriesColours = {{{0, 0, 0},
                                                            {128, 64, 0},
                                                            {255, 128, 128},
                                                            {255, 192, 128},
                                                            {192, 192, 0},
                                                            {0, 192, 0},
                                                            {128, 255, 128},
                                                            {128, 128, 255},
                                                            {0, 0, 255},
                                                            {255, 0, 255},
                                                            {192, 0, 192},
                                                            {160, 160, 160}}};

// Axis titles and label formats the window gives each chart.
struct ChartAxisText {
  const char* valueTitle;
  const char* labelFormat;  // empty: the component's default
};
inline constexpr const char* kElapsedTimeAxisTitle = "Elapsed Time (min)";
inline constexpr std::array<ChartAxisText, kChartKinds> kChartAxisTexts = {{{"Cells (V)", "%0.2f"},
                                                                            {"Packs (V)", "%0.1f"},
                                                                            {"ICTemp (°C)", ""},
                                                                            {"ET (V)", ""},
                                                                            {"Faults", ""}}};

// The series of all five charts.
class ChartSeriesSet {
 public:
  std::vector<ChartSeries>& Chart(ChartKind kind) {
    return charts_[static_cast<std::size_t>(kind)];
  }
  const std::vector<ChartSeries>& Chart(ChartKind kind) const {
    return charts_[static_cast<std::size_t>(kind)];
  }
  ChartSeries& Series(ChartKind kind, int index) {
    return Chart(kind)[static_cast<std::size_t>(index)];
  }
  const ChartSeries& Series(ChartKind kind, int index) const {
    return Chart(kind)[static_cast<std::size_t>(index)];
  }

  // Names, colours, visibility and sources for the shown devices `p0` and `p1`; no points. Outside
  // daisy-chain mode the series of `p1` are hidden; the pack series shown is `singlePack` when
  // connected to a single device, else those of `p0` and `p1`.
  void Rebuild(int p0, int p1, int singlePack, bool daisyChain, bool evbConnected);
  // Removes the points of samples below `count` and renumbers the rest down by `count`.
  void DropOldest(int count);

 private:
  std::array<std::vector<ChartSeries>, kChartKinds> charts_;
};

}  // namespace qvm
