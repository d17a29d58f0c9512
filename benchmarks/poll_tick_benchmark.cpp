// SPDX-License-Identifier: MIT
// The polling tick of qvmctl at fourteen devices (Scan All and the four read-alls: 70
// exchanges) on the simulated board with zero reply latency, beside its floor measured in the
// same run: the 70 waits of 2 ms after the writes. The tick is timed through the command itself:
// "poll 11" less "poll 1" (the connection costs the same in both), per tick. The interval of
// 50 ms is shorter than a tick, so the ticks run back to back.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "broker_process.h"
#include "cli/qvmctl.h"
#include "core/clock.h"
#include "qvmctl_tick_args.h"

namespace {

constexpr int kExchangesPerTick = 70;
constexpr int kTimedTicks = 10;

double PollSeconds(int ticks, benchmark::State& state) {
  const std::vector<std::string> args = QvmctlTickArgs(ticks);
  std::ostringstream out;
  std::ostringstream err;
  const auto start = std::chrono::steady_clock::now();
  if (qvm::cli::RunQvmctl(args, out, err) != 0) state.SkipWithError(err.str().c_str());
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_QvmctlPollTick14(benchmark::State& state) {
  for (auto _ : state) {
    const double one = PollSeconds(1, state);
    const double many = PollSeconds(1 + kTimedTicks, state);
    state.SetIterationTime((many - one) / kTimedTicks);
  }
}
BENCHMARK(BM_QvmctlPollTick14)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

// Publishing to MQTT beside the same tick without it: the same poll with `--mqtt` to a real
// mosquitto on a free loopback port (started here, as the tests start it), wall and process CPU
// (the publisher's thread included) per tick, each "poll 11" less "poll 1" as above. Without a
// mosquitto program the pair is skipped with the reason.
qvm::test::BrokerProcess* Broker(benchmark::State& state) {
  static qvm::test::BrokerProcess broker;
  static const bool started = broker.Start();
  if (!started) {
    state.SkipWithError(("no broker to publish to: " + broker.Error()).c_str());
    return nullptr;
  }
  return &broker;
}

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct PollCost {
  double wall;
  double cpu;
};

PollCost PublishedPoll(int ticks, const std::string& url, benchmark::State& state) {
  std::vector<std::string> args = QvmctlTickArgs(ticks);
  if (!url.empty()) args.insert(args.end(), {"--mqtt", url, "--rig", "bench"});
  std::ostringstream out;
  std::ostringstream err;
  const double cpu = ProcessCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  if (qvm::cli::RunQvmctl(args, out, err) != 0) state.SkipWithError(err.str().c_str());
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          ProcessCpuSeconds() - cpu};
}

void PublishingPair(benchmark::State& state, bool publish) {
  qvm::test::BrokerProcess* broker = Broker(state);
  if (broker == nullptr) return;
  const std::string url =
      publish ? "mqtt://127.0.0.1:" + std::to_string(broker->Port()) + "/bench/rig" : "";
  double cpuSeconds = 0;
  int ticked = 0;
  for (auto _ : state) {
    const PollCost one = PublishedPoll(1, url, state);
    const PollCost many = PublishedPoll(1 + kTimedTicks, url, state);
    state.SetIterationTime((many.wall - one.wall) / kTimedTicks);
    cpuSeconds += many.cpu - one.cpu;
    ticked += kTimedTicks;
  }
  if (ticked > 0) state.counters["cpu_ms_per_tick"] = cpuSeconds * 1e3 / ticked;
}

void BM_QvmctlTick14_WithoutMqtt(benchmark::State& state) {
  PublishingPair(state, false);
}
void BM_QvmctlTick14_PublishingMqtt(benchmark::State& state) {
  PublishingPair(state, true);
}
BENCHMARK(BM_QvmctlTick14_WithoutMqtt)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(2);
BENCHMARK(BM_QvmctlTick14_PublishingMqtt)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(2);

// The floor of one tick: the 2 ms wait after each of its writes.
void BM_Floor_TickWaits(benchmark::State& state) {
  qvm::SystemClock clock;
  for (auto _ : state) {
    for (int i = 0; i < kExchangesPerTick; ++i) clock.SleepMs(2);
  }
}
BENCHMARK(BM_Floor_TickWaits)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
