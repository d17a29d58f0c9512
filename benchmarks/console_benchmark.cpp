// SPDX-License-Identifier: MIT
// The desktop console's costs on the simulated board, offscreen:
// - polling at fourteen devices (Scan All and the four read-alls: 70 exchanges a tick) on the
//   real clock, with the bench window attached as in the program, driven by the console's own
//   polling timer in a running event loop as a user meets it, beside qvmctl's same tick run
//   in-process and the floor of both (the 70 waits of 2 ms after the writes), all in the same
//   run; counters: CPU per tick of each program and their ratio, the first tick after
//   connecting and the longest gap between two passes of the event loop while polling;
// - the chart window taking the sample that drops the oldest 600 of a full store (fourteen
//   devices), at every span of the time slider;
// - with `--rss-full` or `--rss-floor` instead of benchmarks: the resident memory of the console
//   on a 14+14 chain with a full store and the chart window open, or of a minimal window.
#include <benchmark/benchmark.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
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
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/frm_main_f340.h"
#include "cli/qvmctl.h"
#include "console/frm_charting.h"
#include "console/generic_vb_diag.h"
#include "console/qt_host.h"
#include "core/clock.h"
#include "core/quiet_host.h"
#include "model/tab_definition_file.h"
#include "model/tab_definitions.h"
#include "protocol/session.h"
#include "qvmctl_tick_args.h"
#include "records/local_file_system.h"
#include "sim/chain/simulated_evb.h"

namespace {

constexpr int kExchangesPerTick = 70;
constexpr int kTicksPerIteration = 5;
constexpr int kQvmctlTimedTicks = 10;
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

  // Attaches the bench window the program always has (hidden): it shows every exchange.
  void AttachBenchWindow() {
    bench = std::make_unique<qvm::FrmMainF340>(console->session());
    console->AttachBenchWindow(*bench);
  }

  qvm::SystemClock clock;
  std::optional<qvm::sim::SimulatedEvb> evb;
  qvm::QtHost host;
  std::unique_ptr<qvm::GenericVbDiag> console;
  std::unique_ptr<qvm::FrmMainF340> bench;
};

// Longest time between two passes of the event loop while it runs, as its dispatcher reports
// them (a pass starts when it wakes; time blocked waiting for events is no gap). No timer of its
// own, so an idle loop stays idle.
class EventLoopGaps {
 public:
  EventLoopGaps() {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &context_, [this] {
      Pass();
      blocked_ = true;
    });
    QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, &context_, [this] {
      if (blocked_) {
        lastNs_ = clock_.nsecsElapsed();
      } else {
        Pass();
      }
      blocked_ = false;
    });
  }
  void Restart() {
    clock_.start();
    lastNs_ = 0;
    maxGapNs_ = 0;
    blocked_ = false;
  }
  // The gap up to now counts too.
  double MaxGapMs() {
    Pass();
    return static_cast<double>(maxGapNs_) / 1e6;
  }

 private:
  void Pass() {
    const qint64 now = clock_.nsecsElapsed();
    maxGapNs_ = std::max(maxGapNs_, now - lastNs_);
    lastNs_ = now;
  }

  QObject context_;
  QElapsedTimer clock_;
  qint64 lastNs_ = 0;
  qint64 maxGapNs_ = 0;
  bool blocked_ = false;
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Processor time of the whole program so far, every thread counted.
double CpuSeconds() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

struct Elapsed {
  double wall;
  double cpu;
};

// Wall and processor time since construction.
struct Stopwatch {
  std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
  double cpu = CpuSeconds();

  double WallSeconds() const { return Seconds(wall); }
  double CpuSecondsSince() const { return CpuSeconds() - cpu; }
};

// qvmctl's CPU per tick as measured earlier in this run, for the console's ratio.
struct QvmctlFigure {
  std::optional<double> cpuMsPerTick;
};

// The console's polling ticks as the event loop runs them: a tick starts when the polling
// timer's event is delivered (seen by an application event filter) and ends when its timeout
// signal has been handled (a slot connected after the console's own).
class TickWatch : public QObject {
 public:
  explicit TickWatch(const QTimer& timer) : timer_(timer) {
    QCoreApplication::instance()->installEventFilter(this);
    connect(&timer, &QTimer::timeout, this, [this] { TickEnded(); });
    connect(&giveUp_, &QTimer::timeout, &loop_, &QEventLoop::quit);
    giveUp_.setSingleShot(true);
  }

  // Runs the event loop until `ticks` more ticks have ended; false when they did not within
  // a few seconds a tick (polling stopped).
  bool RunTicks(int ticks) {
    remaining_ = ticks;
    giveUp_.start(ticks * kGiveUpMsPerTick);
    loop_.exec();
    giveUp_.stop();
    return remaining_ == 0;
  }
  double LastTickMs() const { return static_cast<double>(lastTickNs_) / 1e6; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &timer_ && event->type() == QEvent::Timer) tickStart_.start();
    return false;
  }

 private:
  static constexpr int kGiveUpMsPerTick = 5000;

  void TickEnded() {
    lastTickNs_ = tickStart_.nsecsElapsed();
    if (remaining_ > 0 && --remaining_ == 0) loop_.quit();
  }

  const QTimer& timer_;
  QEventLoop loop_;
  QTimer giveUp_;
  QElapsedTimer tickStart_;
  qint64 lastTickNs_ = 0;
  int remaining_ = 0;
};

// Polling as the user starts it: the scan and the four read-alls ticked in the polling options
// dialog, whose OK ticks "ENABLE POLLING", at the shortest interval, so the ticks run back to
// back. Each iteration runs the event loop through `kTicksPerIteration` ticks.
void ConsoleTick(benchmark::State& state, const std::string& folder, const QvmctlFigure& qvmctl) {
  ConsoleRig rig("daisy:52400x14", kFamily52400, 14, folder);
  rig.AttachBenchWindow();
  qvm::GenericVbDiag& console = *rig.console;
  if (console.session().state.DeviceCount52400 != 14) {
    state.SkipWithError("chain not identified");
    return;
  }
  console.tbPollingInterval->setText("50");
  console.tbPollingInterval_Change();
  qvm::FrmPollOptions& options = console.pollOptions();
  console.cmdPollingSetup->click();
  for (QCheckBox* box : {options.chkPollUPR, options.chkPollScanAll, options.chkReadVolts,
                         options.chkReadTemps, options.chkReadFaults, options.chkReadSetups}) {
    box->setChecked(box != options.chkPollUPR);
  }
  options.findChild<QPushButton*>("OKButton")->click();
  TickWatch ticks(console.pollingTimer());
  if (!ticks.RunTicks(1)) {
    state.SkipWithError("polling did not tick");
    return;
  }
  state.counters["first_ms"] = ticks.LastTickMs();
  EventLoopGaps gaps;
  double maxGapMs = 0;
  double cpuSeconds = 0;
  int ticked = 0;
  for (auto _ : state) {
    gaps.Restart();
    const Stopwatch watch;
    if (!ticks.RunTicks(kTicksPerIteration)) {
      state.SkipWithError("polling stopped");
      return;
    }
    state.SetIterationTime(watch.WallSeconds() / kTicksPerIteration);
    cpuSeconds += watch.CpuSecondsSince();
    ticked += kTicksPerIteration;
    maxGapMs = std::max(maxGapMs, gaps.MaxGapMs());
  }
  console.chkEnablePolling->setChecked(false);
  const double cpuMsPerTick = cpuSeconds * 1e3 / ticked;
  state.counters["cpu_ms_per_tick"] = cpuMsPerTick;
  state.counters["max_gap_ms"] = maxGapMs;
  if (qvmctl.cpuMsPerTick)
    state.counters["cpu_ratio_to_qvmctl"] = cpuMsPerTick / *qvmctl.cpuMsPerTick;
}

// Runs qvmctl's polling for `ticks` ticks of the same actions, in-process; the interval of
// 50 ms is shorter than a tick, so the ticks run back to back.
Elapsed QvmctlPoll(int ticks, benchmark::State& state) {
  const std::vector<std::string> args = QvmctlTickArgs(ticks);
  std::ostringstream out;
  std::ostringstream err;
  const Stopwatch watch;
  if (qvm::cli::RunQvmctl(args, out, err) != 0) state.SkipWithError(err.str().c_str());
  return {watch.WallSeconds(), watch.CpuSecondsSince()};
}

// qvmctl's tick timed through the command itself: "poll 11" less "poll 1" (connecting costs the
// same in both), per tick.
void QvmctlTick(benchmark::State& state, QvmctlFigure& figure) {
  double cpuSeconds = 0;
  int ticked = 0;
  for (auto _ : state) {
    const Elapsed one = QvmctlPoll(1, state);
    const Elapsed many = QvmctlPoll(1 + kQvmctlTimedTicks, state);
    state.SetIterationTime((many.wall - one.wall) / kQvmctlTimedTicks);
    cpuSeconds += many.cpu - one.cpu;
    ticked += kQvmctlTimedTicks;
  }
  figure.cpuMsPerTick = cpuSeconds * 1e3 / ticked;
  state.counters["cpu_ms_per_tick"] = *figure.cpuMsPerTick;
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
  QvmctlFigure qvmctl;
  benchmark::RegisterBenchmark("BM_QvmctlTick14",
                               [&qvmctl](benchmark::State& state) { QvmctlTick(state, qvmctl); })
      ->Unit(benchmark::kMillisecond)
      ->UseManualTime()
      ->Iterations(2);
  benchmark::RegisterBenchmark(
      "BM_ConsoleTick14",
      [folder, &qvmctl](benchmark::State& state) { ConsoleTick(state, folder, qvmctl); })
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
