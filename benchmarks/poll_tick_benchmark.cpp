// SPDX-License-Identifier: MIT
// The polling tick of qvmctl at fourteen devices (Scan All and the four read-alls: 70
// exchanges) on the simulated board with zero reply latency, beside its floor measured in the
// same run: the 70 waits of 2 ms after the writes. The tick is timed through the command itself:
// "poll 11" less "poll 1" (the connection costs the same in both), per tick. The interval of
// 50 ms is shorter than a tick, so the ticks run back to back.
#include <benchmark/benchmark.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

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
