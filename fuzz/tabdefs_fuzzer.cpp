// Feeds arbitrary bytes to the tab definition parser: it must never crash or leave the model
// outside its invariants.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/register_image.h"
#include "model/register_model.h"
#include "model/shared_state.h"
#include "model/tab_definitions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qvm::RegisterModel model;
  qvm::RegisterImage image;
  qvm::SharedState state;
  qvm::ParseTabDefinitions(std::string_view(reinterpret_cast<const char*>(data), size), model,
                           image, state);
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
