// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the tab definition parser and its check: they must never crash or
// leave the model outside its invariants.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/register_image.h"
#include "model/register_model.h"
#include "model/shared_state.h"
#include "model/tab_definition_check.h"
#include "model/tab_definitions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qvm::RegisterModel model;
  qvm::RegisterImage image;
  qvm::SharedState state;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const qvm::TabDefParseResult result = qvm::ParseTabDefinitions(text, model, image, state);
  if (result.ok) {
    const auto problem = qvm::CheckTabDefinitions(model, state, result, text);
    if (problem && (problem->line < 0 || problem->line > result.lineCount)) std::abort();
  } else if (!result.fieldProblem.empty() &&
             (result.errorLine < 1 || result.errorLine > result.lineCount)) {
    std::abort();
  }
  for (const auto& tables : model.type) {
    if (tables.LastTabIndex < 0 || tables.LastTabIndex >= qvm::kMaxTabs) std::abort();
    for (const auto& tab : tables.TabRegister) {
      for (const std::int16_t reg : tab) {
        if (reg < -1 || reg >= qvm::kRegisterCount) std::abort();
      }
    }
  }
  return 0;
}
