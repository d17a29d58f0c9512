// Redraw of one chart of 24 series x 32761 points, offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <vector>

#include "records/chart_store.h"
#include "ui/chart_plot.h"

namespace {

constexpr int kSeries = 24;
constexpr int kWidth = 1000;
constexpr int kHeight = 300;

std::vector<qvm::ChartSeries> FullSeries() {
  std::vector<qvm::ChartSeries> all(kSeries);
  for (int s = 0; s < kSeries; ++s) {
    auto& points = all[static_cast<std::size_t>(s)].points;
    points.reserve(qvm::kChartCapacity + 1);
    for (int i = 0; i < qvm::kChartCapacity; ++i) {
      points.push_back({i, i / 120.0, 3.6 + 0.05 * s + 0.02 * std::sin(i * 0.01 + s)});
    }
  }
  return all;
}

void Drain() {
  QCoreApplication::processEvents();
}

// The time axis moves: every series is decimated again and the whole chart redrawn.
void BM_ChartRedrawAxisMoved(benchmark::State& state) {
  auto series = FullSeries();
  qvm::ChartPlot plot(series);
  plot.resize(kWidth, kHeight);
  plot.show();
  plot.SetValueRange({3.4, 5.0});
  Drain();
  double shift = 0;
  for (auto _ : state) {
    shift = shift > 1 ? 0 : shift + 0.01;
    plot.SetTimeRange({shift, series[0].points.back().x});
    plot.Refresh();
    Drain();
  }
}
BENCHMARK(BM_ChartRedrawAxisMoved)->Unit(benchmark::kMillisecond);

// A new sample with the axes unchanged: decimation and only the data layer.
void BM_ChartNewSampleFixedAxes(benchmark::State& state) {
  auto series = FullSeries();
  qvm::ChartPlot plot(series);
  plot.resize(kWidth, kHeight);
  plot.show();
  plot.SetValueRange({3.4, 5.0});
  plot.SetTimeRange({0, 400});
  Drain();
  int next = qvm::kChartCapacity;
  for (auto _ : state) {
    for (auto& s : series) {
      s.points.erase(s.points.begin());
      s.points.push_back({next, next / 120.0 - 100, 4.0});
    }
    ++next;
    if (next > qvm::kChartCapacity + 1000) next = qvm::kChartCapacity;
    plot.Refresh();
    Drain();
  }
}
BENCHMARK(BM_ChartNewSampleFixedAxes)->Unit(benchmark::kMillisecond);

// A show box: nothing to decimate again, one redraw.
void BM_ChartToggleSeries(benchmark::State& state) {
  auto series = FullSeries();
  qvm::ChartPlot plot(series);
  plot.resize(kWidth, kHeight);
  plot.show();
  plot.SetValueRange({3.4, 5.0});
  plot.SetTimeRange({0, 280});
  Drain();
  for (auto _ : state) {
    series[3].visible = !series[3].visible;
    plot.Refresh();
    Drain();
  }
}
BENCHMARK(BM_ChartToggleSeries)->Unit(benchmark::kMillisecond);

// Decimation alone of every series to the chart width.
void BM_DecimateAllSeries(benchmark::State& state) {
  const auto series = FullSeries();
  std::vector<qvm::PlotPoint> out;
  for (auto _ : state) {
    for (const auto& s : series) {
      qvm::DecimateToColumns(s.points, 0, s.points.back().x, kWidth, out);
      benchmark::DoNotOptimize(out.data());
    }
  }
}
BENCHMARK(BM_DecimateAllSeries)->Unit(benchmark::kMillisecond);

// For comparison: the drawing component with every point and its default settings.
void BM_PlainComponentAllPoints(benchmark::State& state) {
  auto series = FullSeries();
  QCustomPlot plot;
  plot.resize(kWidth, kHeight);
  for (const auto& s : series) {
    QVector<QCPGraphData> data;
    for (const auto& p : s.points) data.push_back(QCPGraphData(p.x, p.y));
    plot.addGraph()->data()->set(data, true);
  }
  plot.xAxis->setRange(0, series[0].points.back().x);
  plot.yAxis->setRange(3.4, 5.0);
  plot.show();
  Drain();
  for (auto _ : state) plot.replot(QCustomPlot::rpImmediateRefresh);
}
BENCHMARK(BM_PlainComponentAllPoints)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
