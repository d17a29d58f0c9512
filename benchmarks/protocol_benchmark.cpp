// SPDX-License-Identifier: MIT
// Device protocol costs: parsing a full 13-word block reply, and one register read round trip
// against the simulated chain on the real clock with zero reply latency (wall time includes the
// 2 ms wait after the write that the exchange prescribes; fixed iterations on wall time).
#include <benchmark/benchmark.h>

#include <string>

#include "core/clock.h"
#include "core/quiet_host.h"
#include "protocol/board_init.h"
#include "protocol/crc4.h"
#include "protocol/register_access.h"
#include "protocol/response_parser.h"
#include "protocol/session.h"
#include "sim/chain/simulated_evb.h"

namespace {

class QuietRecorder final : public qvm::FaultRecorder {
 public:
  void RecordCrc4Error() override { ++errors; }
  void RecordNackResponse(const std::string&, const std::string&) override { ++errors; }
  void RecordUnrecognizedResponse() override { ++errors; }
  void RecordNoAcknowledge(const std::string&) override { ++errors; }
  void RecordPipeComError() override { ++errors; }
  void RecordFaultStatus(const std::string&) override {}
  int errors = 0;
};

// The register kinds the two benchmarks touch.
void DefineKinds(qvm::Session& session) {
  auto& kind = session.model.type[0].RegKind;
  for (int r = 64; r < 128; ++r) kind[r] = qvm::kKindReadOnly;
  kind[79] = qvm::kKindBlockRead;
  kind[150] = qvm::kKindReadWrite;
}

// Puts a cell-voltage block of device 2 into the reply buffer: one 4-byte frame for address
// 12, then twelve 3-byte words for addresses 11 down to 0.
void PrepareBlockReply(qvm::Session& session) {
  qvm::Report& reply = session.bridge.ReportBuffer;
  std::size_t at = 5;
  for (int word = 0; word < 13; ++word) {
    const int adr = 12 - word;
    const int dat = 0x1800 + word * 17;
    const bool first = word == 0;
    const std::size_t size = first ? 4 : 3;
    std::span<std::uint8_t> frame(reply.data() + at, size);
    std::size_t i = 0;
    if (first) frame[i++] = 0x21;  // device 2, page 1
    frame[i++] = static_cast<std::uint8_t>((adr << 2) | (dat >> 12));
    frame[i++] = static_cast<std::uint8_t>(dat >> 4);
    frame[i] = static_cast<std::uint8_t>((dat & 0xF) << 4);
    qvm::AppendCrc4(frame);
    at += size;
  }
  session.exchange.ReplyCount = static_cast<std::int32_t>(at - 4);
  session.exchange.FrameBuffer = {0x00, 0x21, 0x3C, 0x00};
}

void BM_ParseBlockReply(benchmark::State& state) {
  qvm::SystemClock clock;
  qvm::sim::SimulatedBus bus;
  qvm::QuietHost host;
  qvm::ProtocolView view;
  QuietRecorder faults;
  qvm::FlagPollingTimer timer;
  qvm::Session session(bus, host, clock, view, faults, timer);
  DefineKinds(session);
  PrepareBlockReply(session);
  qvm::DeviceCommand command;
  command.dev = 2;
  command.cat = 1;
  command.adr = 15;
  for (auto _ : state) {
    qvm::ParseDaisyChainResponse(session, command, "rcv,");
    benchmark::DoNotOptimize(session.image.at(0, 2, 64));
  }
  if (faults.errors != 0 || session.image.at(0, 2, 64 + 12) != 0x1800) {
    state.SkipWithError("block reply not parsed");
  }
}
BENCHMARK(BM_ParseBlockReply);

void BM_ReadSingleRegRoundTrip(benchmark::State& state) {
  qvm::SystemClock clock;
  std::string error;
  auto evb = qvm::sim::MakeSimulatedEvb("daisy:52400x3", clock, error);
  if (!evb) {
    state.SkipWithError(error.c_str());
    return;
  }
  qvm::QuietHost host;
  qvm::ProtocolView view;
  QuietRecorder faults;
  qvm::FlagPollingTimer timer;
  qvm::Session session(*evb->bus, host, clock, view, faults, timer);
  DefineKinds(session);
  qvm::InitializeDriver(session);
  session.ChainModeSetting = qvm::kModeDaisyChain;
  qvm::InitializeEvb(session);
  if (session.state.DeviceCount52400 != 3) {
    state.SkipWithError("chain not identified");
    return;
  }
  evb->chain->Device(0, 2).Write(150, 0x1234);
  for (auto _ : state) {
    qvm::DeviceCommand command;
    command.dev = 2;
    command.cat = 2;
    command.adr = 22;
    qvm::ReadSingleReg(session, command);
  }
  if (faults.errors != 0 || session.image.at(0, 2, 150) != 0x1234) {
    state.SkipWithError("read failed");
  }
}
BENCHMARK(BM_ReadSingleRegRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(300);

}  // namespace

BENCHMARK_MAIN();
