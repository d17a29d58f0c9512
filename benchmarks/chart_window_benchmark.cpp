// SPDX-License-Identifier: MIT
// Redraw of one chart of 24 series x 32760 stored samples, offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <memory>
#include <vector>

#include "core/clock.h"
#include "records/chart_points.h"
#include "records/chart_store.h"
#include "records/local_time.h"
#include "ui/chart_plot.h"

namespace {

constexpr int kSeries = 24;
constexpr int kWidth = 1000;
constexpr int kHeight = 300;
constexpr double kCellScale = 0.001;
constexpr int kDevices = 2;

// A chart store of two devices shown in daisy-chain mode (24 cell series), one sample every
// 500 ms of virtual time.
struct CellStore {
  CellStore() {
    model.type[0].RegScale[0x41] = kCellScale;
    state.DaisyChainMode = true;
    store.Initialize(true, true);
  }

  void AddSample() {
    for (int s = 0; s < kSeries; ++s) {
      const double volts = 3.6 + 0.05 * s + 0.02 * std::sin(step * 0.01 + s);
      image.StoreRead(0, 1 + s / 12, 0x41 + s % 12, static_cast<std::int16_t>(volts / kCellScale),
                      1);
    }
    ++step;
    store.AddNewVoltageDataToChartArray();
    clock.SleepMs(500);
  }
  // Samples up to index `index` of the store.
  void FillUpTo(int index) {
    while (store.ChartSampleIndex() < index) AddSample();
  }
  qvm::ChartSeriesPoints Points(int series) const {
    return {store, store.Series().Series(qvm::ChartKind::Cells, series)};
  }

  qvm::RegisterModel model;
  qvm::RegisterImage image;
  qvm::SharedState state;
  qvm::VirtualClock clock;
  qvm::SystemLocalTime time;
  qvm::ChartStore store{model, image, state, clock, time};
  int step = 0;
};

std::unique_ptr<CellStore> FullStore(int samples = qvm::kChartFullIndex) {
  auto cells = std::make_unique<CellStore>();
  cells->FillUpTo(samples);
  return cells;
}

double NewestMinutes(const CellStore& cells) {
  return cells.store.ElapsedMinutes(cells.store.ChartSampleIndex() - 1);
}

void Drain() {
  QCoreApplication::processEvents();
}

constexpr qvm::AxisRange kCellAxis = {3.4, 5.0};

// The shown chart of a full store, its time axis moved to start at `shift`.
std::unique_ptr<qvm::ChartPlot> MovedChart(const CellStore& cells, double shift) {
  auto plot = std::make_unique<qvm::ChartPlot>(cells.store, qvm::ChartKind::Cells);
  plot->resize(kWidth, kHeight);
  plot->show();
  plot->SetValueRange(kCellAxis);
  plot->SetTimeRange({shift, NewestMinutes(cells)});
  plot->Refresh();
  Drain();
  return plot;
}

// The time axis moves: every series is decimated again and the whole chart redrawn.
void BM_ChartRedrawAxisMoved(benchmark::State& state) {
  const auto cells = FullStore();
  const auto plot = MovedChart(*cells, 0);
  double shift = 0;
  for (auto _ : state) {
    shift = shift > 1 ? 0 : shift + 0.01;
    plot->SetTimeRange({shift, NewestMinutes(*cells)});
    plot->Refresh();
    Drain();
  }
}
BENCHMARK(BM_ChartRedrawAxisMoved)->Unit(benchmark::kMillisecond);

// The floor of the former: the drawing component with its default settings, the same size and
// axes, holding just the points the chart draws after an axis move, redrawn once.
void BM_PlainReplotDrawnPoints(benchmark::State& state) {
  const auto cells = FullStore();
  const auto chart = MovedChart(*cells, 0.5);
  QCustomPlot plot;
  plot.resize(kWidth, kHeight);
  for (int s = 0; s < kSeries; ++s) plot.addGraph()->data()->set(*chart->Graph(s)->data());
  plot.xAxis->setRange(chart->xAxis->range());
  plot.yAxis->setRange(chart->yAxis->range());
  plot.show();
  Drain();
  for (auto _ : state) {
    plot.replot(QCustomPlot::rpQueuedReplot);
    Drain();
  }
}
BENCHMARK(BM_PlainReplotDrawnPoints)->Unit(benchmark::kMillisecond);

constexpr int kNewSamples = 500;

// A new sample with the axes unchanged: decimation and only the data layer.
void BM_ChartNewSampleFixedAxes(benchmark::State& state) {
  const auto cells = FullStore(qvm::kChartFullIndex - kNewSamples);
  qvm::ChartPlot plot(cells->store, qvm::ChartKind::Cells);
  plot.resize(kWidth, kHeight);
  plot.show();
  plot.SetValueRange({3.4, 5.0});
  plot.SetTimeRange({0, 400});
  Drain();
  for (auto _ : state) {
    cells->AddSample();
    plot.Refresh();
    Drain();
  }
}
BENCHMARK(BM_ChartNewSampleFixedAxes)->Unit(benchmark::kMillisecond)->Iterations(kNewSamples);

// A show box: nothing to decimate again, one redraw.
void BM_ChartToggleSeries(benchmark::State& state) {
  const auto cells = FullStore();
  qvm::ChartPlot plot(cells->store, qvm::ChartKind::Cells);
  plot.resize(kWidth, kHeight);
  plot.show();
  plot.SetValueRange({3.4, 5.0});
  plot.SetTimeRange({0, 280});
  Drain();
  bool& visible = cells->store.Series().Series(qvm::ChartKind::Cells, 3).visible;
  for (auto _ : state) {
    visible = !visible;
    plot.Refresh();
    Drain();
  }
}
BENCHMARK(BM_ChartToggleSeries)->Unit(benchmark::kMillisecond);

// Decimation alone of every series to the chart width.
void BM_DecimateAllSeries(benchmark::State& state) {
  const auto cells = FullStore();
  std::vector<qvm::PlotPoint> out;
  for (auto _ : state) {
    for (int s = 0; s < kSeries; ++s) {
      qvm::DecimateToColumns(cells->Points(s), 0, NewestMinutes(*cells), kWidth, out);
      benchmark::DoNotOptimize(out.data());
    }
  }
}
BENCHMARK(BM_DecimateAllSeries)->Unit(benchmark::kMillisecond);

// For comparison: the drawing component with every point and its default settings.
void BM_PlainComponentAllPoints(benchmark::State& state) {
  const auto cells = FullStore();
  QCustomPlot plot;
  plot.resize(kWidth, kHeight);
  for (int s = 0; s < kSeries; ++s) {
    const qvm::ChartSeriesPoints points = cells->Points(s);
    QVector<QCPGraphData> data;
    for (std::size_t i = 0; i < points.size(); ++i) {
      data.push_back(QCPGraphData(points.X(i), points.Y(i)));
    }
    plot.addGraph()->data()->set(data, true);
  }
  plot.xAxis->setRange(0, NewestMinutes(*cells));
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
