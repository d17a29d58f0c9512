// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "config/manual_configuration.h"
#include "model/decoders.h"
#include "model/tab_definitions.h"
#include "operations/polling_loop.h"
#include "protocol/acquisition.h"
#include "protocol/board_init.h"
#include "protocol_fakes.h"
#include "records/chart_store.h"
#include "records/comm_log.h"
#include "records/local_file_system.h"
#include "records_fixture.h"
#include "scripted_host.h"
#include "sim/chain/simulated_evb.h"

namespace qvm::test {
namespace {

// The fault kinds of the soak, each injected on about 1 % of the exchanges.
enum Kind { kDrop, kSeq, kSeq0, kCrc, kNak, kShort, kSilent, kSilentChain, kKinds };

// Where each kind must show up: its communication-error record and its sample flag.
constexpr std::array<std::uint16_t, kKinds> kFlagOf = {kComErrPipe,  kComErrPipe, kComErrPipe,
                                                       kComErrCrc4,  kComErrNack, kComErrNoAck,
                                                       kComErrNoAck, kComErrNoAck};

constexpr int kExchanges = 100000;

// Counts the records per flag bit.
class CountingRecorder final : public FaultRecorder {
 public:
  void RecordCrc4Error() override { Mark(kComErrCrc4); }
  void RecordNackResponse(const std::string&, const std::string&) override { Mark(kComErrNack); }
  void RecordUnrecognizedResponse() override { Mark(kComErrBadResponse); }
  void RecordNoAcknowledge(const std::string&) override { Mark(kComErrNoAck); }
  void RecordPipeComError() override { Mark(kComErrPipe); }
  void RecordFaultStatus(const std::string&) override {}

  std::array<int, 5> counts{};  // per flag bit 0x01 .. 0x10

 private:
  void Mark(std::uint16_t bit) { ++counts[static_cast<std::size_t>(__builtin_ctz(bit))]; }
};

// Counts the traced transfers; the communication log gets every one of them.
class SoakView final : public ProtocolView {
 public:
  explicit SoakView(CountingPollingTimer& timer) : timer_(timer) {}
  bool ShowActivityLogs() override { return true; }
  void AppendHexLog(int, const std::string&) override { ++traces; }
  bool CommLoggingActive() override { return log != nullptr && log->LoggingActive(); }
  void LogEvent(const std::string& line) override { log->LogEvent(line); }
  void StopPolling() override {
    ++terminations;
    timer_.UntickPolling();
    timer_.SetEnabled(false);
  }

  CommLog* log = nullptr;
  long traces = 0;
  int terminations = 0;

 private:
  CountingPollingTimer& timer_;
};

// Draws a fault for each new SPI packet exchange (a request with a new sequence number) and
// settles the one before: a fault counts as injected once the board or the chain used it up.
class FaultInjector {
 public:
  FaultInjector(sim::SimulatedEvb& evb, std::uint32_t seed) : evb_(evb), random_(seed) {}

  void NewExchange() {
    if (!active) return;
    Settle();
    ++exchanges;
    const int draw = std::uniform_int_distribution<int>(0, 99)(random_);
    if (draw >= kKinds) return;
    current_ = draw;
    // A lost reply hits one attempt (the retry brings it) or both (the exchange fails).
    attempts_ = std::uniform_int_distribution<int>(1, 2)(random_);
    sim::BridgeFaults& board = evb_.board->Faults();
    sim::ChainFaults& chain = evb_.chain->Faults();
    switch (current_) {
      case kDrop:
        board.dropReplies = attempts_;
        break;
      case kSeq:
        board.wrongSequence = attempts_;
        break;
      case kSeq0:
        board.zeroSequence = attempts_;
        break;
      case kCrc:
        chain.badCrc = 1;
        chain.badCrcFrame = std::uniform_int_distribution<std::size_t>(0, 13)(random_);
        break;
      case kNak:
        chain.nakInstead = 1;
        break;
      case kShort:  // shorter than one frame
        board.shortReplies = 1;
        board.shortReplyCount = std::uniform_int_distribution<std::uint8_t>(0, 4)(random_);
        break;
      case kSilent:
        chain.silentDevice = 1;
        chain.silentType = std::uniform_int_distribution<int>(0, 1)(random_);
        chain.silentPosition = std::uniform_int_distribution<int>(1, 3)(random_);
        break;
      default:
        chain.silentChain = 1;
        break;
    }
  }

  // The fault of the last exchange, if it was used; any unused count is taken back.
  void Settle() {
    if (current_ < 0) return;
    sim::BridgeFaults& board = evb_.board->Faults();
    sim::ChainFaults& chain = evb_.chain->Faults();
    const int left = board.dropReplies + board.wrongSequence + board.zeroSequence +
                     board.shortReplies + chain.badCrc + chain.nakInstead + chain.silentDevice +
                     chain.silentChain;
    if (left == 0) {
      ++injected[static_cast<std::size_t>(current_)];
      pendingFlags |= kFlagOf[static_cast<std::size_t>(current_)];
    }
    board.dropReplies = board.wrongSequence = board.zeroSequence = board.shortReplies = 0;
    chain.badCrc = chain.nakInstead = chain.silentDevice = chain.silentChain = 0;
    current_ = -1;
  }

  // Off while the chain is identified.
  bool active = false;
  long exchanges = 0;
  std::array<int, kKinds> injected{};
  // Flags of the faults used since the last tick ended.
  std::uint16_t pendingFlags = 0;

 private:
  sim::SimulatedEvb& evb_;
  std::mt19937 random_;
  int current_ = -1;
  int attempts_ = 1;
};

// The simulated board as the link sees it, telling the injector of every new exchange.
class InjectingDevice final : public HidDevice {
 public:
  InjectingDevice(std::unique_ptr<HidDevice> inner, FaultInjector& injector)
      : inner_(std::move(inner)), injector_(injector) {}
  bool Write(const Report& report) override {
    const bool packet = report[1] >= kCmdSpiSingle && report[1] <= kCmdUprBuffer52401;
    if (packet && report[2] != lastSequence_) injector_.NewExchange();
    lastSequence_ = report[2];
    return inner_->Write(report);
  }
  ReadResult Read(Report& report, int timeoutMs) override {
    return inner_->Read(report, timeoutMs);
  }
  std::string LastError() const override { return inner_->LastError(); }
  bool IsSimulated() const override { return true; }

 private:
  std::unique_ptr<HidDevice> inner_;
  FaultInjector& injector_;
  std::uint8_t lastSequence_ = 0;
};

class InjectingBus final : public HidBus {
 public:
  InjectingBus(HidBus& inner, FaultInjector& injector) : inner_(inner), injector_(injector) {}
  std::vector<HidDeviceInfo> Enumerate() override { return inner_.Enumerate(); }
  std::unique_ptr<HidDevice> Open(const std::string& path) override {
    auto device = inner_.Open(path);
    if (!device) return device;
    return std::make_unique<InjectingDevice>(std::move(device), injector_);
  }

 private:
  HidBus& inner_;
  FaultInjector& injector_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// 100,000 exchanges of the polling loop (Scan All, Read Volts) on a mixed chain with every fault
// kind at about 1 %: nothing crashes or hangs, every fault used shows up once as its record and
// on exactly the tick and sample it touched, no value passes for a reading of a tick that did
// not read it, and the communication log holds one line per trace.
TEST(FaultSoakTest, EveryInjectedFaultIsRecordedOnItsTick) {
  VirtualClock clock;
  std::string error;
  auto evb = sim::MakeSimulatedEvb("daisy:52400x3+52401x2", clock, error);
  ASSERT_TRUE(evb) << error;
  FaultInjector injector(*evb, 52400);
  InjectingBus bus(*evb->bus, injector);
  ScriptedHost host;
  CountingPollingTimer timer;
  SoakView view(timer);
  CountingRecorder recorder;
  Session session(bus, host, clock, view, recorder, timer);
  ApplyManualConfiguration(session, {true, DeviceFamily::QVM52400And52401, 3});
  std::ifstream tabdefs(std::string(QVM_DATA_DIR) + "/tabdefs_QVM52400_RevA.csv", std::ios::binary);
  std::ostringstream text;
  text << tabdefs.rdbuf();
  ASSERT_TRUE(ParseTabDefinitions(text.str(), session.model, session.image, session.state).ok);
  InitializeDriver(session);
  InitializeEvb(session);
  ASSERT_EQ(session.state.DeviceCount52400, 3);
  ASSERT_EQ(session.state.DeviceCount52401, 2);
  recorder.counts = {};
  injector.active = true;

  TempFolder folder;
  LocalFileSystem files;
  FixedLocalTime time;
  CommLog log(host, files, time, "soak");
  host.fileAnswers = {folder.File("soak.txt")};
  ASSERT_FALSE(log.LogStart().empty());
  view.log = &log;
  view.traces = 0;

  ChartStore chart(session.model, session.image, session.state, clock, time);
  chart.Initialize(true, true);
  PollingView paint;
  paint.addToCharts = [&chart](std::uint16_t errors) {
    chart.AddNewVoltageDataToChartArray(errors);
  };

  session.state.PollScanAll = true;
  session.state.PollReadVolts = true;
  timer.ticked = timer.enabled = true;
  int ticks = 0;
  int wrongTicks = 0;
  int wrongSamples = 0;
  int faultedTicks = 0;
  long freshValues = 0;
  long staleAsFresh = 0;
  while (injector.exchanges < kExchanges) {
    const long before = injector.exchanges;
    const int samplesBefore = chart.ChartSampleIndex();
    Acquisition tick(session);
    PollingTick(session, paint);
    tick.Close();
    injector.Settle();
    ASSERT_GT(injector.exchanges, before) << "a tick made no exchange";
    ASSERT_EQ(chart.ChartSampleIndex(), samplesBefore + 1) << "a tick made no sample";
    ++ticks;
    const std::uint16_t expected = injector.pendingFlags;
    injector.pendingFlags = 0;
    if (expected != 0) ++faultedTicks;
    if (tick.Errors().flags != expected) ++wrongTicks;
    if (chart.ComErrorFlags(samplesBefore) != expected) ++wrongSamples;
    // Every value the tick says it read is what the device holds after the tick's scan.
    for (int dev = 1; dev <= 3; ++dev) {
      for (int reg = kRegVbat; reg <= kRegCell1 + 11; ++reg) {
        if (!tick.Fresh(0, dev, reg)) continue;
        ++freshValues;
        if (session.image.at(0, dev, reg) != evb->chain->Device(0, dev).Read(reg)) ++staleAsFresh;
      }
    }
    clock.SleepMs(50);
  }
  log.LogStop();

  for (int kind = 0; kind < kKinds; ++kind) {
    EXPECT_GT(injector.injected[static_cast<std::size_t>(kind)], 100) << "kind " << kind;
  }
  const auto& used = injector.injected;
  EXPECT_EQ(recorder.counts[0], used[kShort] + used[kSilent] + used[kSilentChain]);  // no ACK
  EXPECT_EQ(recorder.counts[1], used[kCrc]);
  EXPECT_EQ(recorder.counts[2], 0);  // unrecognized
  EXPECT_EQ(recorder.counts[3], used[kNak]);
  EXPECT_EQ(recorder.counts[4], used[kDrop] + used[kSeq] + used[kSeq0]);  // pipe
  // A board that stays attached never ends polling, however its replies fail.
  EXPECT_EQ(view.terminations, 0);
  EXPECT_GT(faultedTicks, ticks / 10);
  EXPECT_EQ(wrongTicks, 0) << "ticks whose error flags differ from the faults they met";
  EXPECT_EQ(wrongSamples, 0) << "samples whose error flags differ from the faults they met";
  EXPECT_GT(freshValues, ticks * 30L);
  EXPECT_EQ(staleAsFresh, 0) << "values reported as read by a tick that did not read them";

  const std::string written = ReadFile(folder.File("soak.txt"));
  long lines = 0;
  long traces = 0;
  for (std::size_t start = 0, end; (end = written.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    ++lines;
    const std::string line = written.substr(start, 5);
    if (line == "Sent:" || line == "Rcvd:") ++traces;
  }
  EXPECT_EQ(written.rfind("[Logging Started: ", 0), 0u);
  const std::size_t lastLine = written.rfind("\r\n", written.size() - 3);
  EXPECT_EQ(written.compare(lastLine + 2, 18, "[Logging Stopped: "), 0);
  EXPECT_EQ(traces, view.traces);
  EXPECT_EQ(lines, view.traces + 2);
}

}  // namespace
}  // namespace qvm::test
