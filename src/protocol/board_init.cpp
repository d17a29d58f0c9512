// SPDX-License-Identifier: MIT
#include "protocol/board_init.h"

#include <algorithm>

#include "protocol/bridge_setup.h"
#include "protocol/identify.h"
#include "protocol/procedure_trap.h"

namespace qvm {

namespace {
// Slice of a wait between two event pumps.
constexpr std::int64_t kWaitSliceMs = 5;
}  // namespace

void InitializeDriver(Session& session) {
  RunTrapped(session, "InitializeDriver", [&] {
    session.bridge.OpenBridge();
    session.host.PumpEvents();
    const std::string& part = session.state.PartName52400;
    session.LogLine("Initializing driver for " + part + "EVB...");
    if (session.bridge.EvbConnected) {
      session.view.ClearLog();
      session.view.AppendLog("Success: " + part + "EVB detected, ");
    } else if (const std::string problem = session.bridge.LinkProblem(); !problem.empty()) {
      // A board that was found says why it cannot be used; "not detected" would contradict it.
      session.LogLine("Error: " + part + "EVB detected, but " + problem);
    } else {
      session.LogLine("Error: " + part + "EVB not detected. Please check connections.");
    }
  });
}

void CloseDriver(Session& session) {
  RunTrapped(session, "CloseDriver", [&] {
    session.bridge.CloseBridge();
    // Nothing can be sent on a closed link.
    session.bridge.EvbConnected = false;
    session.host.PumpEvents();
  });
}

void InitializeEvb(Session& session) {
  RunTrapped(session, "InitializeEvb", [&] {
    if (!session.bridge.EvbConnected) return;
    SharedState& state = session.state;
    state.DeviceCount52400 = 0;
    state.DeviceCount52401 = 0;
    session.ChainIdentified = {};
    // A bridge that does not take its set-up is not asked anything more.
    if (!SetupBridgeIdle(session)) return;
    const std::uint8_t mode = session.ChainModeSetting;
    session.GpioSpiSetup[0] = mode;
    if ((mode & kModeMask) == kModeSingleDevice) {
      session.LogLine("InitializeEvb: non-daisy chain mode");
      state.DaisyChainMode = false;
      IdentifyNonDaisyChain(session, 0);
      if (state.IdentifyCompanionType) IdentifyNonDaisyChain(session, 1);
    } else if ((mode & kModeMask) == kModeDaisyChain) {
      session.LogLine("InitializeEvb: daisy chain mode has been detected");
      state.DaisyChainMode = true;
      if (!SetupBridgeDaisy(session)) return;
      IdentifyDaisyChain(session, 0);
      if (state.IdentifyCompanionType) IdentifyDaisyChain(session, 1);
    }
  });
}

void WaitMs(Session& session, std::int64_t ms) {
  const std::int64_t end = session.clock.NowMs() + std::max<std::int64_t>(ms, 0);
  do {
    const std::int64_t left = end - session.clock.NowMs();
    if (left > 0) session.clock.SleepMs(std::min(left, kWaitSliceMs));
    session.host.PumpEvents();
  } while (session.clock.NowMs() < end);
}

}  // namespace qvm
