// SPDX-License-Identifier: MIT
#include "model/register_model.h"

namespace qvm {

RegisterTables::RegisterTables() {
  for (auto& tab : TabRegister) tab.fill(-1);
  RegKind.fill(kKindUndefined);
}

}  // namespace qvm
