// SPDX-License-Identifier: MIT
// Costs of the console's display rules: the MAIN page status of a full chain of fourteen
// primary and fourteen companion devices, and the MONITOR page, computed from the register
// image as every reply refreshes them. The tab definitions come from this program's folder.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "model/display_rules.h"
#include "model/tab_definition_file.h"
#include "model/tab_definitions.h"

namespace {

struct FullChain {
  explicit FullChain(const std::string& tabDefinitions) {
    qvm::ParseTabDefinitions(tabDefinitions, *model, *image, state);
    state.DeviceCount52400 = 14;
    state.DeviceCount52401 = 14;
    state.SelectedDevice = 7;
    for (int device = 1; device <= 14; ++device) {
      for (int reg = 0x40; reg <= 0x56; ++reg) {
        image->StoreRead(0, device, reg, static_cast<std::int16_t>(6000 + device * 17 + reg), 1);
      }
      image->StoreRead(0, device, 0x84, static_cast<std::int16_t>(device % 2 != 0 ? 0x100 : 0), 1);
    }
  }
  std::unique_ptr<qvm::RegisterModel> model = std::make_unique<qvm::RegisterModel>();
  std::unique_ptr<qvm::RegisterImage> image = std::make_unique<qvm::RegisterImage>();
  qvm::SharedState state;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const std::string folder =
      std::filesystem::absolute(std::filesystem::path(argv[0])).parent_path().string();
  qvm::TabDefFileText file = qvm::LoadTabDefinitionFile(folder, qvm::kTabDefs52400);
  if (file.status != qvm::TabDefFileText::Status::Loaded) {
    std::cerr << file.message << '\n';
    return 1;
  }
  auto chain = std::make_shared<FullChain>(file.text);
  benchmark::RegisterBenchmark("ComputeMainTabDeviceStatus", [chain](benchmark::State& run) {
    for (auto _ : run) {
      benchmark::DoNotOptimize(
          qvm::ComputeMainTabDeviceStatus(*chain->model, *chain->image, chain->state, '.'));
    }
  });
  benchmark::RegisterBenchmark("ComputeMonitorTabStatus", [chain](benchmark::State& run) {
    for (auto _ : run) {
      benchmark::DoNotOptimize(
          qvm::ComputeMonitorTabStatus(*chain->model, *chain->image, chain->state, '.'));
    }
  });
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
