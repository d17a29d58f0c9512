// SPDX-License-Identifier: MIT
// One SPI packet exchange against the simulated board with zero reply latency, on the real
// clock, beside its floor measured in the same run: the 2 ms wait after the write that the
// exchange prescribes. Both are sleep-bound, so they run a fixed number of iterations on wall
// time; the CPU column of each is what it costs beside the sleep.
#include <benchmark/benchmark.h>

#include <memory>

#include "core/clock.h"
#include "core/console_view.h"
#include "core/quiet_host.h"
#include "link/bridge.h"
#include "link/packet_exchange.h"
#include "sim/bridge/simulated_board.h"
#include "sim/bridge/simulated_bus.h"

namespace {

constexpr int kIterations = 300;

void BM_PacketExchange(benchmark::State& state) {
  qvm::SystemClock clock;
  qvm::sim::SimulatedBus bus;
  bus.Attach(std::make_shared<qvm::sim::SimulatedBoard>(clock, "sim:0"));
  qvm::QuietHost host;
  qvm::ConsoleView view;
  qvm::Bridge bridge(bus, host, clock, view);
  bridge.OpenBridge();
  qvm::ExchangeState exchangeState;
  qvm::PacketExchange exchange(bridge, exchangeState, host, clock, view);
  exchangeState.BridgeCommand = qvm::kCmdSpiDaisy;
  exchangeState.FrameBuffer = {0x00, 0x21, 0x10, 0x0A};
  exchangeState.FrameByteCount = 4;
  for (auto _ : state) {
    exchange.cmdMCBSPI_Click();
    if (exchangeState.ExchangeFailed) state.SkipWithError("exchange failed");
  }
}
BENCHMARK(BM_PacketExchange)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(kIterations);

// The floor: the 2 ms wait after the write, alone.
void BM_Floor_Sleep2ms(benchmark::State& state) {
  qvm::SystemClock clock;
  for (auto _ : state) clock.SleepMs(2);
}
BENCHMARK(BM_Floor_Sleep2ms)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(kIterations);

}  // namespace

BENCHMARK_MAIN();
