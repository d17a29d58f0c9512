// SPDX-License-Identifier: MIT
// Feeds arbitrary text to the configuration file replay on a simulated mixed chain: every line
// it accepts is written to the devices, and a refused text writes nothing.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "config/configuration_file.h"
#include "config/manual_configuration.h"
#include "core/clock.h"
#include "fuzz_support.h"
#include "model/tab_definition_file.h"
#include "model/tab_definitions.h"
#include "protocol/board_init.h"
#include "protocol/session.h"
#include "sim/chain/simulated_evb.h"

namespace {

using namespace qvm;

struct Harness {
  Harness()
      : evb(sim::MakeSimulatedEvb(
            sim::ChainLayout{sim::ChainMode::kDaisy, sim::PrimaryFamily::k52400, 3, 2}, clock)),
        session(*evb.bus, host, clock, view, recorder, timer) {
    ApplyManualConfiguration(session, {true, DeviceFamily::QVM52400And52401, 3});
    const TabDefFileText file = LoadTabDefinitionFile(QVM_DATA_DIR, session.state.TabDefsFileName);
    ParseTabDefinitions(file.text, session.model, session.image, session.state);
    InitializeDriver(session);
    InitializeEvb(session);
  }

  VirtualClock clock;
  sim::SimulatedEvb evb;
  QuietHost host;
  fuzz::ShowingView view;
  QuietFaultRecorder recorder;
  FlagPollingTimer timer;
  Session session;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Harness harness;
  const ConfigReplay replay = ReplayConfigFile(
      harness.session, std::string_view(reinterpret_cast<const char*>(data), size));
  if (replay.failedWrites > replay.writes) __builtin_trap();
  // A refused text sends nothing.
  if (replay.refused && (replay.writes != 0 || replay.refused->line < 1)) __builtin_trap();
  return 0;
}
