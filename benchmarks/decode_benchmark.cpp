// SPDX-License-Identifier: MIT
// Frame log decoding: a generated log of polling ticks of a 14-device chain (scan, volts,
// temperatures and faults of every device) is written to the temporary folder, decoded as
// qvmctl decode does (with and without printing JSON), and deleted. The floor is the same file
// read line by line without decoding. Reports MB/s and the peak resident memory, which must
// not grow with the log. --log-mb=N sets the log's size (default 1024).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/decoded_frame_output.h"
#include "core/line_reader.h"
#include "link/frame_trace.h"
#include "model/register_image.h"
#include "model/tab_definition_check.h"
#include "protocol/device_command.h"
#include "protocol/frame_log_file.h"
#include "sim/chain/response_frames.h"

namespace {

constexpr int kDevices = 14;
std::size_t logBytes = std::size_t{1024} << 20;

// Peak resident memory of the process so far, in MB.
double PeakRssMb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
  }
  return 0;
}

std::string Trace(std::string_view label, const std::vector<std::uint8_t>& bytes) {
  return qvm::ReplaceLineBreaks(qvm::FrameTraceText(label, bytes), "");
}

std::string Request(int dev, int cat, int adr) {
  std::vector<std::uint8_t> frame;
  std::int16_t dat = 0;
  qvm::EncodeDaisyFrame(static_cast<std::uint8_t>(dev), static_cast<std::uint8_t>(cat),
                        static_cast<std::uint8_t>(adr), dat, frame);
  return Trace("Sent:", frame);
}

std::string Block(int dev, int page, int first, int words, int tick) {
  std::vector<std::uint8_t> reply =
      qvm::sim::ResponseFrame(dev, page, first, (7000 + tick * 13 + dev) & 0x3FFF);
  for (int adr = first - 1; adr > first - words; --adr) {
    const qvm::sim::Frame word =
        qvm::sim::BlockWordFrame(adr, (7000 + tick * 7 + adr * 31) & 0x3FFF);
    reply.insert(reply.end(), word.begin(), word.end());
  }
  return Trace("Rcvd:", reply);
}

// The log of one polling tick, CR LF line ends as the console writes them.
std::string Tick(int tick) {
  std::string text;
  for (int dev = 1; dev <= kDevices; ++dev) {
    text += Request(dev, 3, 5) + "\r\n" + Trace("Rcvd:", qvm::sim::AckFrame(dev)) + "\r\n";
    text += Request(dev, 1, 15) + "\r\n" + Block(dev, 1, 12, 13, tick) + "\r\n";
    text += Request(dev, 1, 31) + "\r\n" + Block(dev, 1, 22, 7, tick) + "\r\n";
    text += Request(dev, 2, 15) + "\r\n" + Block(dev, 2, 6, 7, tick) + "\r\n";
  }
  return text;
}

// The generated log, deleted at the end of the program.
class GeneratedLog {
 public:
  GeneratedLog()
      : path_(std::filesystem::temp_directory_path() /
              ("decode-benchmark-" + std::to_string(::getpid()) + ".txt")) {
    std::vector<std::string> ticks;
    for (int tick = 0; tick < 64; ++tick) ticks.push_back(Tick(tick));
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    if (file == nullptr) std::abort();
    std::string head = "[Logging Started: 12/9/2026 5:26:21 PM]\r\n";
    std::fwrite(head.data(), 1, head.size(), file);
    std::size_t written = head.size();
    for (std::size_t i = 0; written < logBytes; ++i) {
      const std::string& tick = ticks[i % ticks.size()];
      std::fwrite(tick.data(), 1, tick.size(), file);
      written += tick.size();
    }
    const std::string tail = "[Logging Stopped: 12/9/2026 6:26:21 PM]\r\n";
    std::fwrite(tail.data(), 1, tail.size(), file);
    if (std::fclose(file) != 0) std::abort();
    bytes_ = written + tail.size();
  }
  ~GeneratedLog() { std::filesystem::remove(path_); }

  std::string Path() const { return path_.string(); }
  std::size_t Bytes() const { return bytes_; }

 private:
  std::filesystem::path path_;
  std::size_t bytes_ = 0;
};

struct Tables {
  Tables() {
    const qvm::TabDefFileText file = qvm::LoadTabDefinitionFile(QVM_DATA_DIR, qvm::kTabDefs52400);
    if (!qvm::ParseTabDefinitionFile(file, model, image, state).ok) std::abort();
  }
  qvm::RegisterModel model;
  qvm::RegisterImage image;
  qvm::SharedState state;
};

const GeneratedLog& Log() {
  static const GeneratedLog log;
  return log;
}

const Tables& Model() {
  static const Tables tables;
  return tables;
}

class CountingSink final : public qvm::FrameLogSink {
 public:
  explicit CountingSink(std::ostream&) {}
  void Marker(const qvm::LogMarker&) override {}
  void Frame(const qvm::DecodedFrame& frame) override {
    ++frames;
    benchmark::DoNotOptimize(frame.value);
  }
  void Malformed(const qvm::MalformedLine&) override { ++malformed; }
  std::size_t frames = 0;
  std::size_t malformed = 0;
};

// CPU seconds of the process so far: on a loaded machine the wall time says little.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void Report(benchmark::State& state, double rssBefore, std::size_t frames, double cpuSeconds) {
  const auto bytes = static_cast<double>(Log().Bytes());
  state.counters["cpu_MB_per_s"] =
      bytes / 1e6 * static_cast<double>(state.iterations()) / cpuSeconds;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Log().Bytes()));
  state.counters["MB_per_s"] = benchmark::Counter(
      bytes / 1e6 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["log_MB"] = bytes / 1e6;
  state.counters["frames"] = static_cast<double>(frames);
  state.counters["peak_rss_MB"] = PeakRssMb();
  state.counters["rss_growth_MB"] = PeakRssMb() - rssBefore;
}

// Decodes the log into the sink `Sink` makes; as qvmctl decode --json prints it, the sink
// writes to a stream that drops the text.
template <typename Sink>
void DecodeLog(benchmark::State& state) {
  const std::string path = Log().Path();
  Model();
  const double before = PeakRssMb();
  const double cpuStart = CpuSeconds();
  std::size_t frames = 0;
  for (auto _ : state) {
    std::ofstream null("/dev/null");
    Sink sink(null);
    qvm::FrameLogDecoder decoder(Model().model, Model().state, true);
    std::string problem;
    if (!qvm::DecodeFrameLogFile(path, decoder, sink, problem) || sink.malformed != 0) {
      state.SkipWithError("the generated log did not decode");
      return;
    }
    frames = sink.frames;
  }
  Report(state, before, frames, CpuSeconds() - cpuStart);
}

struct JsonSink : qvm::cli::DecodedFrameOutput {
  explicit JsonSink(std::ostream& out) : DecodedFrameOutput(out, true) {}
};

void BM_DecodeLog(benchmark::State& state) {
  DecodeLog<CountingSink>(state);
}
BENCHMARK(BM_DecodeLog)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecodeLogToJson(benchmark::State& state) {
  DecodeLog<JsonSink>(state);
}
BENCHMARK(BM_DecodeLogToJson)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: the same file split into lines, nothing decoded.
void BM_Floor_ReadLines(benchmark::State& state) {
  const std::string path = Log().Path();
  Model();
  const double before = PeakRssMb();
  const double cpuStart = CpuSeconds();
  std::size_t lines = 0;
  for (auto _ : state) {
    qvm::LineReader reader;
    std::string problem;
    if (!reader.Open(path, problem)) {
      state.SkipWithError(problem.c_str());
      return;
    }
    std::string_view line;
    lines = 0;
    while (reader.Next(line)) ++lines;
    benchmark::DoNotOptimize(lines);
  }
  Report(state, before, lines, CpuSeconds() - cpuStart);
}
BENCHMARK(BM_Floor_ReadLines)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--log-mb=", 9) == 0) {
      logBytes = std::strtoull(argv[i] + 9, nullptr, 10) << 20;
    } else {
      args.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
