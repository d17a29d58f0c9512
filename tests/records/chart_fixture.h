// SPDX-License-Identifier: MIT
#pragma once

#include "core/clock.h"
#include "model/register_image.h"
#include "model/register_model.h"
#include "model/shared_state.h"
#include "records/chart_store.h"
#include "records_fixture.h"

namespace qvm::test {

inline constexpr double kCellScale = 0.000375;
inline constexpr double kVbatScale = 0.0015;
inline constexpr double kTempScale = 0.1;
inline constexpr double kEtScale = 0.0001;

// A chart store over its own register image, with scales set for the decoded registers.
struct ChartBench {
  ChartBench() {
    auto& scale = model.type[0].RegScale;
    scale[0x41] = kCellScale;
    scale[0x40] = kVbatScale;
    scale[0x50] = kTempScale;
    scale[0x51] = kEtScale;
  }

  RegisterModel model;
  RegisterImage image;
  SharedState state;
  VirtualClock clock;
  FixedLocalTime time;
  ChartStore store{model, image, state, clock, time};
};

}  // namespace qvm::test
