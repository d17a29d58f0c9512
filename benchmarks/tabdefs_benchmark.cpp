// SPDX-License-Identifier: MIT
// Parsing speed of the shipped tab definition files. The files are read once from the folder
// of this program (where the build copies them); each iteration parses the text anew.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "model/tab_definitions.h"

namespace {

void ParseText(benchmark::State& run, const std::string& text) {
  auto model = std::make_unique<qvm::RegisterModel>();
  auto image = std::make_unique<qvm::RegisterImage>();
  qvm::SharedState state;
  for (auto _ : run) {
    const qvm::TabDefParseResult result = qvm::ParseTabDefinitions(text, *model, *image, state);
    benchmark::DoNotOptimize(result.ok);
    benchmark::ClobberMemory();
  }
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations()) *
                        static_cast<std::int64_t>(text.size()));
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const std::string folder =
      std::filesystem::absolute(std::filesystem::path(argv[0])).parent_path().string();
  for (const char* name : {qvm::kTabDefs52400, qvm::kTabDefs38817}) {
    qvm::TabDefFileText file = qvm::LoadTabDefinitionFile(folder, name);
    if (file.status != qvm::TabDefFileText::Status::Loaded) {
      std::cerr << file.message << '\n';
      return 1;
    }
    benchmark::RegisterBenchmark(
        ("ParseTabDefinitions/" + std::string(name + 1)).c_str(),
        [text = std::move(file.text)](benchmark::State& run) { ParseText(run, text); });
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
