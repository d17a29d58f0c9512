// SPDX-License-Identifier: MIT
#include "records/chart_series.h"

#include <algorithm>

namespace qvm {

namespace {

ChartSeries Named(std::string name, bool visible, ChartKind kind, int device, int column = 0) {
  ChartSeries series;
  series.name = std::move(name);
  series.visible = visible;
  series.kind = kind;
  series.device = device;
  series.column = column;
  return series;
}

}  // namespace

void ChartSeries::AddSample(std::int32_t sample, std::int32_t points) {
  if (!samples.empty()) {
    ChartSampleRun& last = samples.back();
    if (last.first + last.count == sample && last.perSample == points) {
      ++last.count;
      return;
    }
  }
  samples.push_back({sample, 1, points});
}

std::size_t ChartSeries::PointCount() const {
  std::size_t points = 0;
  for (const ChartSampleRun& run : samples) {
    points += static_cast<std::size_t>(run.count) * static_cast<std::size_t>(run.perSample);
  }
  return points;
}

void ChartSeriesSet::Rebuild(int p0, int p1, int singlePack, bool daisyChain, bool evbConnected) {
  for (auto& chart : charts_) chart.clear();
  const std::array<int, 2> packs = {p0, p1};
  for (int slot = 0; slot < 2; ++slot) {
    const bool shown = slot == 0 || daisyChain;
    const int pack = packs[static_cast<std::size_t>(slot)];
    const std::string device = std::to_string(pack);
    for (int n = 1; n <= 12; ++n) {
      ChartSeries series =
          Named("Vcell " + device + "-" + std::to_string(n), shown, ChartKind::Cells, pack, n - 1);
      series.colour = kCellSeriesColours[static_cast<std::size_t>(n - 1)];
      Chart(ChartKind::Cells).push_back(std::move(series));
    }
    Chart(ChartKind::IcTemp).push_back(Named("ICTemp " + device, shown, ChartKind::IcTemp, pack));
    for (int n = 1; n <= 4; ++n) {
      Chart(ChartKind::EtVolts)
          .push_back(Named("ETVolt " + device + "-" + std::to_string(n), shown, ChartKind::EtVolts,
                           pack, n - 1));
    }
    for (int type = 0; type < 2; ++type) {
      ChartSeries series = Named("Flt 40" + std::to_string(type) + "-" + device, shown,
                                 ChartKind::Faults, pack, type);
      series.faultLevel = 0.1 * (slot * 2 + type + 1);
      Chart(ChartKind::Faults).push_back(std::move(series));
    }
  }
  const bool single = evbConnected && !daisyChain;
  for (int n = 1; n <= 14; ++n) {
    const bool shown = single ? n == singlePack : n == p0 || n == p1;
    Chart(ChartKind::Packs)
        .push_back(Named("VPack  " + std::to_string(n), shown, ChartKind::Packs, n));
  }
}

void ChartSeriesSet::DropOldest(int count) {
  for (auto& chart : charts_) {
    for (ChartSeries& series : chart) {
      auto& runs = series.samples;
      for (ChartSampleRun& run : runs) {
        const std::int32_t dropped = std::clamp(count - run.first, 0, run.count);
        run.first += dropped - count;
        run.count -= dropped;
      }
      std::erase_if(runs, [](const ChartSampleRun& run) { return run.count == 0; });
    }
  }
}

}  // namespace qvm
