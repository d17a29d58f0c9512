#include "records/chart_series.h"

#include <algorithm>

namespace qvm {

namespace {

ChartSeries Named(std::string name, bool visible) {
  ChartSeries series;
  series.name = std::move(name);
  series.visible = visible;
  return series;
}

}  // namespace

void ChartSeriesSet::Rebuild(int p0, int p1, int singlePack, bool daisyChain, bool evbConnected) {
  for (auto& chart : charts_) chart.clear();
  const std::array<int, 2> packs = {p0, p1};
  for (int slot = 0; slot < 2; ++slot) {
    const bool shown = slot == 0 || daisyChain;
    const std::string device = std::to_string(packs[static_cast<std::size_t>(slot)]);
    for (int n = 1; n <= 12; ++n) {
      ChartSeries series = Named("Vcell " + device + "-" + std::to_string(n), shown);
      series.colour = kCellSeriesColours[static_cast<std::size_t>(n - 1)];
      Chart(ChartKind::Cells).push_back(std::move(series));
    }
    Chart(ChartKind::IcTemp).push_back(Named("ICTemp " + device, shown));
    for (int n = 1; n <= 4; ++n) {
      Chart(ChartKind::EtVolts)
          .push_back(Named("ETVolt " + device + "-" + std::to_string(n), shown));
    }
    for (int type = 0; type < 2; ++type) {
      Chart(ChartKind::Faults)
          .push_back(Named("Flt 40" + std::to_string(type) + "-" + device, shown));
    }
  }
  const bool single = evbConnected && !daisyChain;
  for (int n = 1; n <= 14; ++n) {
    const bool shown = single ? n == singlePack : n == p0 || n == p1;
    Chart(ChartKind::Packs).push_back(Named("VPack  " + std::to_string(n), shown));
  }
}

void ChartSeriesSet::DropOldest(int count) {
  for (auto& chart : charts_) {
    for (ChartSeries& series : chart) {
      auto& points = series.points;
      points.erase(points.begin(),
                   std::find_if(points.begin(), points.end(),
                                [count](const ChartPoint& p) { return p.sample >= count; }));
      for (ChartPoint& point : points) point.sample -= count;
    }
  }
}

}  // namespace qvm
