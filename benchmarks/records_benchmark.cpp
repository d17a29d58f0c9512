// SPDX-License-Identifier: MIT
// Chart store costs: adding a sample to a full store (every 600th addition also drops the oldest
// block) and exporting a full store to a CSV file in the temporary folder, beside the floor of
// the export measured in the same run: the same bytes written raw.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "core/clock.h"
#include "model/register_image.h"
#include "model/register_model.h"
#include "model/shared_state.h"
#include "records/chart_export.h"
#include "records/chart_store.h"
#include "records/local_file_system.h"
#include "records/local_time.h"

namespace {

struct FullStore {
  FullStore() {
    state.DaisyChainMode = true;
    state.DeviceCount52400 = 14;
    auto& scale = model.type[0].RegScale;
    scale[0x41] = 0.000375;
    scale[0x40] = 0.0015;
    scale[0x50] = 0.1;
    scale[0x51] = 0.0001;
    store = std::make_unique<qvm::ChartStore>(model, image, state, clock, time);
    store->Initialize(true, true);
    for (int i = 0; store->ChartSampleIndex() < qvm::kChartFullIndex; ++i) {
      Wander(i);
      store->AddNewVoltageDataToChartArray();
      clock.SleepMs(500);
    }
  }

  // Values that change from sample to sample, as measured ones do.
  void Wander(int i) {
    for (int d = 0; d < qvm::kDevicesPerType; ++d) {
      for (int c = 0; c < 12; ++c)
        image.StoreRead(0, d, 0x41 + c, Raw(8000 + (i * 7 + c * 13 + d) % 4000), 1);
      image.StoreRead(0, d, 0x40, Raw(20000 + (i * 3 + d) % 9000), 1);
      image.StoreRead(0, d, 0x50, Raw(1000 + (i + d) % 900), 1);
      for (int k = 0; k < 4; ++k) image.StoreRead(0, d, 0x51 + k, Raw((i * 11 + k + d) % 16000), 1);
      image.StoreRead(0, d, 0x84, Raw(i % 97 == 0 ? 0x100 : 0), 1);
    }
  }
  static std::int16_t Raw(int value) { return static_cast<std::int16_t>(value); }

  qvm::RegisterModel model;
  qvm::RegisterImage image;
  qvm::SharedState state;
  qvm::VirtualClock clock;
  qvm::SystemLocalTime time;
  std::unique_ptr<qvm::ChartStore> store;
};

void BM_AddSampleToFullStore(benchmark::State& bench) {
  FullStore full;
  for (auto _ : bench) {
    full.store->AddNewVoltageDataToChartArray();
    full.clock.SleepMs(500);
  }
  bench.counters["index"] = full.store->ChartSampleIndex();
}
BENCHMARK(BM_AddSampleToFullStore);

// Answers every save prompt with one fixed path.
class FixedPathHost final : public qvm::Host {
 public:
  explicit FixedPathHost(std::string path) : path_(std::move(path)) {}
  void PumpEvents() override {}
  void ShowMessage(const std::string&, const std::string& text) override {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
  bool AskRetryCancel(const std::string&, const std::string&) override { return false; }
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  std::optional<std::string> AskSaveFileName(const std::string&, const std::string&,
                                             const std::string&) override {
    return path_;
  }
  std::optional<std::string> AskOpenFileName(const std::string&, const std::string&) override {
    return std::nullopt;
  }

 private:
  std::string path_;
};

void BM_ExportFullStore(benchmark::State& bench) {
  FullStore full;
  const std::string path =
      (std::filesystem::temp_directory_path() / "qvm_records_benchmark.csv").string();
  FixedPathHost host(path);
  qvm::LocalFileSystem files;
  const std::string title = "bench";
  qvm::RecordChannel channel(qvm::kChartExportChannel, host, files, title);
  for (auto _ : bench) {
    if (!qvm::ExportCSV(*full.store, channel, host, title, '.')) bench.SkipWithError("export");
  }
  bench.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
  std::filesystem::remove(path);
}
BENCHMARK(BM_ExportFullStore)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The floor of the export: the same bytes written raw to a new file in one go.
void BM_Floor_WriteExportBytes(benchmark::State& bench) {
  FullStore full;
  const std::filesystem::path folder = std::filesystem::temp_directory_path();
  const std::string exported = (folder / "qvm_records_benchmark_bytes.csv").string();
  FixedPathHost host(exported);
  qvm::LocalFileSystem files;
  qvm::RecordChannel channel(qvm::kChartExportChannel, host, files, "bench");
  qvm::ExportCSV(*full.store, channel, host, "bench", '.');
  std::string bytes(std::filesystem::file_size(exported), '\0');
  std::FILE* in = std::fopen(exported.c_str(), "rb");
  if (in == nullptr || std::fread(bytes.data(), 1, bytes.size(), in) != bytes.size()) {
    bench.SkipWithError("export not read back");
  }
  if (in != nullptr) std::fclose(in);
  std::filesystem::remove(exported);
  const std::string path = (folder / "qvm_records_benchmark_raw.csv").string();
  for (auto _ : bench) {
    std::filesystem::remove(path);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
      bench.SkipWithError("raw write");
    }
    if (out != nullptr) std::fclose(out);
  }
  bench.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
  std::filesystem::remove(path);
}
BENCHMARK(BM_Floor_WriteExportBytes)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
