// The desktop console's costs on the simulated board, offscreen:
// - one polling tick at fourteen devices (Scan All and the four read-alls: 70 exchanges) on the
//   real clock, beside its floor measured in the same run (the 70 waits of 2 ms after the
//   writes); counters: the first tick after connecting and the longest gap between two passes
//   of the event loop during a tick;
// - the chart window taking the sample that drops the oldest 600 of a full store (fourteen
//   devices), at every span of the time slider;
// - with `--rss-full` or `--rss-floor` instead of benchmarks: the resident memory of the console
//   on a 14+14 chain with a full store and the chart window open, or of a minimal window.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "console/frm_charting.h"
#include "console/generic_vb_diag.h"
#include "console/qt_host.h"
#include "core/clock.h"
#include "core/quiet_host.h"
#include "model/tab_definition_file.h"
#include "model/tab_definitions.h"
#include "protocol/session.h"
#include "records/local_file_system.h"
#include "sim/chain/simulated_evb.h"

namespace {

constexpr int kExchangesPerTick = 70;
constexpr int kManualConfigDaisy = 0;
constexpr int kFamily52400 = 1;
constexpr int kFamily52400And52401 = 2;

std::string ProgramFolder(const char* argv0) {
  return std::filesystem::absolute(std::filesystem::path(argv0)).parent_path().string();
}

// A connected console on a simulated chain, on the real clock; prompts are answered Cancel/No.
struct ConsoleRig {
  ConsoleRig(const std::string& chain, int family, int stack, const std::string& folder) {
    std::string error;
    evb = qvm::sim::MakeSimulatedEvb(chain, clock, error);
    if (!evb) throw std::runtime_error(error);
    host.SetPumpInterval(clock, qvm::kConsolePumpIntervalMs);
    host.SetAnswerHook([](const qvm::QtHost::Prompt&) { return qvm::QtHost::Answer{}; });
    console =
        std::make_unique<qvm::GenericVbDiag>(qvm::ConsoleDeps{*evb->bus, host, clock, folder});
    console->show();
    qvm::FrmManualConfig& dialog = console->manualConfig();
    dialog.optDaisyChain[kManualConfigDaisy]->click();
    dialog.optDevices[family]->click();
    dialog.updnDevCount->setValue(stack);
    dialog.findChild<QPushButton*>("OKButton")->click();
    QCoreApplication::processEvents();
  }

  qvm::SystemClock clock;
  std::optional<qvm::sim::SimulatedEvb> evb;
  qvm::QtHost host;
  std::unique_ptr<qvm::GenericVbDiag> console;
};

// Longest time between two passes of the event loop while it runs.
class EventLoopGaps {
 public:
  EventLoopGaps() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const qint64 now = clock_.nsecsElapsed();
      maxGapNs_ = std::max(maxGapNs_, now - lastNs_);
      lastNs_ = now;
    });
    timer_.start(0);
  }
  void Restart() {
    clock_.start();
    lastNs_ = 0;
    maxGapNs_ = 0;
  }
  // The gap up to now counts too.
  double MaxGapMs() {
    maxGapNs_ = std::max(maxGapNs_, clock_.nsecsElapsed() - lastNs_);
    return static_cast<double>(maxGapNs_) / 1e6;
  }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 lastNs_ = 0;
  qint64 maxGapNs_ = 0;
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void ConsoleTick(benchmark::State& state, const std::string& folder) {
  ConsoleRig rig("daisy:52400x14", kFamily52400, 14, folder);
  qvm::GenericVbDiag& console = *rig.console;
  qvm::SharedState& selection = console.session().state;
  if (selection.DeviceCount52400 != 14) {
    state.SkipWithError("chain not identified");
    return;
  }
  selection.PollScanAll = true;
  selection.PollReadVolts = true;
  selection.PollReadTemps = true;
  selection.PollReadFaults = true;
  selection.PollReadSetups = true;
  console.tbPollingInterval->setText("5000");
  console.tbPollingInterval_Change();
  console.chkEnablePolling->setChecked(true);
  EventLoopGaps gaps;
  auto start = std::chrono::steady_clock::now();
  console.Timer2_Timer();
  state.counters["first_ms"] = Seconds(start) * 1e3;
  double maxGapMs = 0;
  for (auto _ : state) {
    gaps.Restart();
    start = std::chrono::steady_clock::now();
    console.Timer2_Timer();
    state.SetIterationTime(Seconds(start));
    maxGapMs = std::max(maxGapMs, gaps.MaxGapMs());
    QCoreApplication::processEvents();
  }
  state.counters["max_gap_ms"] = maxGapMs;
  if (!console.chkEnablePolling->isChecked()) state.SkipWithError("polling stopped");
}

void FloorTickWaits(benchmark::State& state) {
  qvm::SystemClock clock;
  for (auto _ : state) {
    for (int i = 0; i < kExchangesPerTick; ++i) clock.SleepMs(2);
  }
}

// A chart window over a store of fourteen devices whose cells wander, in virtual time.
struct ChartRig {
  explicit ChartRig(const std::string& folder)
      : session(bus, host, sessionClock, view, faults, timer) {
    const qvm::TabDefFileText file = qvm::LoadTabDefinitionFile(folder, qvm::kTabDefs52400);
    if (file.status != qvm::TabDefFileText::Status::Loaded) throw std::runtime_error(file.message);
    qvm::ParseTabDefinitions(file.text, session.model, session.image, session.state);
    session.state.DaisyChainMode = true;
    session.state.DeviceCount52400 = 14;
    session.bridge.EvbConnected = true;
    window = std::make_unique<qvm::FrmCharting>(session, store, channel);
    window->resize(1360, 900);
    store.Initialize(true, true);
    FillUpTo(qvm::kChartFullIndex);
  }

  // Stores samples with the window hidden (it draws nothing then) until the store's index is
  // `index`.
  void FillUpTo(int index) {
    window->hide();
    while (!store.ChartStarted() || store.ChartSampleIndex() < index) AddSample();
  }

  void AddSample() {
    for (int d = 1; d <= 14; ++d) {
      for (int c = 0; c < 12; ++c) {
        const double wave = std::sin(step * 0.01 + d + c * 0.3);
        session.image.StoreRead(0, d, 0x41 + c,
                                static_cast<std::int16_t>(9000 + 400 * wave + c * 20), 1);
      }
      session.image.StoreRead(0, d, 0x40, static_cast<std::int16_t>(30000 + d * 10 + step % 7), 1);
      session.image.StoreRead(0, d, 0x50, static_cast<std::int16_t>(2000 + step % 50), 1);
      for (int k = 0; k < 4; ++k)
        session.image.StoreRead(0, d, 0x51 + k, 5000 + (step + k) % 300, 1);
    }
    ++step;
    store.AddNewVoltageDataToChartArray();
    clock.SleepMs(500);
  }

  qvm::SystemClock sessionClock;
  qvm::sim::SimulatedBus bus;
  qvm::QuietHost host;
  qvm::ProtocolView view;
  qvm::QuietFaultRecorder faults;
  qvm::FlagPollingTimer timer;
  qvm::Session session;
  qvm::VirtualClock clock;
  qvm::SystemLocalTime time;
  qvm::ChartStore store{session.model, session.image, session.state, clock, time};
  qvm::LocalFileSystem files;
  qvm::RecordChannel channel{qvm::kChartExportChannel, host, files, "bench"};
  std::unique_ptr<qvm::FrmCharting> window;
  int step = 0;
};

void ChartDrop(benchmark::State& state, ChartRig& rig) {
  rig.window->sliderZoomTime->setValue(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    rig.FillUpTo(qvm::kChartFullIndex);
    rig.window->show();
    QCoreApplication::processEvents();
    const auto start = std::chrono::steady_clock::now();
    rig.AddSample();
    QCoreApplication::processEvents();
    state.SetIterationTime(Seconds(start));
  }
  if (rig.store.ChartSampleIndex() != qvm::kChartFullIndex - qvm::kChartDropCount + 1) {
    state.SkipWithError("no drop");
  }
}

std::int64_t ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stoll(line.substr(6));
  }
  return -1;
}

// The console on a 14+14 chain with a full store and the chart window shown.
int PrintFullConsoleRss(const std::string& folder) {
  ConsoleRig rig("daisy:52400x14+52401x14", kFamily52400And52401, 14, folder);
  qvm::GenericVbDiag& console = *rig.console;
  if (console.session().state.DeviceCount52401 != 14) {
    std::cerr << "chain not identified\n";
    return 1;
  }
  qvm::ConsoleRecords& records = console.records();
  qvm::FrmCharting window(console.session(), records.chart, records.chartExport);
  records.chart.Initialize(true, true);
  for (int i = 0; i < qvm::kChartCapacity; ++i) records.chart.AddNewVoltageDataToChartArray();
  window.show();
  QCoreApplication::processEvents();
  std::cout << ResidentKilobytes() << '\n';
  return 0;
}

// A minimal Qt Widgets program: one shown window.
int PrintMinimalRss() {
  QWidget window;
  window.resize(400, 300);
  window.show();
  QCoreApplication::processEvents();
  std::cout << ResidentKilobytes() << '\n';
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::string folder = ProgramFolder(argv[0]);
  if (argc > 1 && std::strcmp(argv[1], "--rss-full") == 0) return PrintFullConsoleRss(folder);
  if (argc > 1 && std::strcmp(argv[1], "--rss-floor") == 0) return PrintMinimalRss();

  benchmark::Initialize(&argc, argv);
  benchmark::RegisterBenchmark("BM_ConsoleTick14",
                               [folder](benchmark::State& state) { ConsoleTick(state, folder); })
      ->Unit(benchmark::kMillisecond)
      ->UseManualTime()
      ->Iterations(4);
  benchmark::RegisterBenchmark("BM_Floor_TickWaits", FloorTickWaits)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(10);
  std::unique_ptr<ChartRig> chart;
  auto chartRig = [&chart, folder]() -> ChartRig& {
    if (!chart) chart = std::make_unique<ChartRig>(folder);
    return *chart;
  };
  benchmark::RegisterBenchmark(
      "BM_ChartDrop", [&chartRig](benchmark::State& state) { ChartDrop(state, chartRig()); })
      ->Unit(benchmark::kMillisecond)
      ->UseManualTime()
      ->Iterations(3)
      ->DenseRange(qvm::kZoomFirstPosition, qvm::kZoomLastPosition);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
