// SPDX-License-Identifier: MIT
// The console as a user runs it, beside qvmctl and a minimal Qt window in the same run; the
// programs are started as processes, offscreen, on a simulated chain of fourteen devices:
// - BM_Startup: `qvm-console --screenshot` from start to exit (a connected picture);
//   BM_Floor_MinimalWindow: a minimal Qt Widgets program that shows one empty window of the
//   console's size and saves its picture; BM_ProtocolWaits: `qvmctl identify` less `qvmctl --help`
//   (what connecting itself waits for);
// - BM_SampleRate/<interval ms>: `qvm-console --poll 8 --poll-interval N --record-csv` and
//   `qvmctl poll --interval N` with the same actions (scan all; read volts, temps, faults);
//   counters: samples per second and the period of each, from their own time stamps.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr const char* kChain = "daisy:52400x14";
constexpr int kPollSeconds = 8;

struct Run {
  int status = -1;
  double ms = 0;
  QByteArray out;
  QByteArray err;
};

Run RunProgram(const QString& program, const QStringList& args) {
  QProcess process;
  QElapsedTimer clock;
  clock.start();
  process.start(program, args);
  process.waitForFinished(-1);
  Run run;
  run.ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = process.readAllStandardOutput();
  run.err = process.readAllStandardError();
  return run;
}

struct Programs {
  QString console;
  QString qvmctl;
  QString self;
};

void BM_Startup(benchmark::State& state, const Programs& programs) {
  const QTemporaryDir folder;
  for (auto _ : state) {
    const Run run = RunProgram(programs.console,
                               {"--sim", kChain, "--screenshot", folder.filePath("console.png")});
    if (run.status != 0) state.SkipWithError(run.err.constData());
    state.SetIterationTime(run.ms / 1e3);
  }
}

void BM_FloorMinimalWindow(benchmark::State& state, const Programs& programs) {
  const QTemporaryDir folder;
  // The console's picture, once, for its size: both programs show and save as many pixels.
  const QString console = folder.filePath("console.png");
  RunProgram(programs.console, {"--sim", kChain, "--screenshot", console});
  const QSize size = QImageReader(console).size();
  if (!size.isValid()) state.SkipWithError("the console saved no picture");
  const QStringList args = {"--minimal-window", folder.filePath("min.png"),
                            QString::number(size.width()), QString::number(size.height())};
  for (auto _ : state) {
    const Run run = RunProgram(programs.self, args);
    if (run.status != 0) state.SkipWithError("the minimal window failed");
    state.SetIterationTime(run.ms / 1e3);
  }
  state.counters["width"] = size.width();
  state.counters["height"] = size.height();
}

void BM_ProtocolWaits(benchmark::State& state, const Programs& programs) {
  for (auto _ : state) {
    const Run identify = RunProgram(programs.qvmctl, {"--sim", kChain, "identify"});
    const Run bare = RunProgram(programs.qvmctl, {"--help"});
    if (identify.status != 0) state.SkipWithError(identify.err.constData());
    state.SetIterationTime(std::max(0.0, identify.ms - bare.ms) / 1e3);
  }
}

// Samples per second and the period between the first and the last sample.
struct Rate {
  double perSecond = 0;
  double periodMs = 0;
};

Rate ConsoleRate(const Programs& programs, int intervalMs, benchmark::State& state) {
  const QTemporaryDir folder;
  const Run run =
      RunProgram(programs.console,
                 {"--sim", kChain, "--poll", QString::number(kPollSeconds), "--poll-interval",
                  QString::number(intervalMs), "--record-csv", folder.filePath("samples.csv")});
  const auto match = QRegularExpression("polled (\\d+) samples, one every ([0-9.]+) ms")
                         .match(QString::fromUtf8(run.err));
  if (run.status != 0 || !match.hasMatch()) {
    state.SkipWithError(run.err.constData());
    return {};
  }
  const double period = match.captured(2).toDouble();
  return {1000.0 / period, period};
}

Rate QvmctlRate(const Programs& programs, int intervalMs, benchmark::State& state) {
  // About as many ticks as the console takes in its run.
  const int ticks = kPollSeconds * 1000 / std::max(intervalMs, 120);
  const Run run =
      RunProgram(programs.qvmctl, {"--sim", kChain, "--json", "poll", QString::number(ticks),
                                   "--interval", QString::number(intervalMs), "--scan", "all",
                                   "--read", "volts", "--read", "temps", "--read", "faults"});
  std::vector<double> times;
  for (const QByteArray& line : run.out.split('\n')) {
    const QJsonObject tick = QJsonDocument::fromJson(line).object();
    if (tick.contains("time_ms")) times.push_back(tick.value("time_ms").toDouble());
  }
  if (run.status != 0 || times.size() < 2) {
    state.SkipWithError(run.err.constData());
    return {};
  }
  const double period = (times.back() - times.front()) / static_cast<double>(times.size() - 1);
  return {1000.0 / period, period};
}

void BM_SampleRate(benchmark::State& state, const Programs& programs) {
  const int interval = static_cast<int>(state.range(0));
  Rate console;
  Rate qvmctl;
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    console = ConsoleRate(programs, interval, state);
    state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    qvmctl = QvmctlRate(programs, interval, state);
  }
  state.counters["console_per_s"] = console.perSecond;
  state.counters["console_period_ms"] = console.periodMs;
  state.counters["qvmctl_per_s"] = qvmctl.perSecond;
  state.counters["qvmctl_period_ms"] = qvmctl.periodMs;
}

// The floor of the start-up: one window shown and drawn into `file`.
int MinimalWindow(int argc, char** argv, const char* file, int width, int height) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(width, height);
  window.show();
  QCoreApplication::processEvents();
  // As the console saves its pictures.
  return window.grab().save(file, nullptr, 80) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc == 5 && std::strcmp(argv[1], "--minimal-window") == 0) {
    return MinimalWindow(argc, argv, argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  }
  QCoreApplication app(argc, argv);
  const QString folder = QCoreApplication::applicationDirPath();
  const Programs programs{folder + "/qvm-console", folder + "/qvmctl",
                          QCoreApplication::applicationFilePath()};

  benchmark::Initialize(&argc, argv);
  const auto add = [&programs](const char* name, void (*run)(benchmark::State&, const Programs&)) {
    return benchmark::RegisterBenchmark(
               name, [run, &programs](benchmark::State& state) { run(state, programs); })
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
  };
  add("BM_Startup", BM_Startup)->Iterations(3);
  add("BM_Floor_MinimalWindow", BM_FloorMinimalWindow)->Iterations(3);
  add("BM_ProtocolWaits", BM_ProtocolWaits)->Iterations(3);
  add("BM_SampleRate", BM_SampleRate)->Iterations(1)->Arg(50)->Arg(500);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
