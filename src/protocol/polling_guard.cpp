// SPDX-License-Identifier: MIT
#include "protocol/polling_guard.h"

namespace qvm {

void DisableUprPolling(Session& session) {
  session.polling.UntickPolling();
  session.polling.SetEnabled(false);
  session.state.UprPollingActive = false;
}

void PauseUprPolling(Session& session) {
  if (!session.state.DaisyChainMode || !session.polling.PollingTicked()) return;
  session.polling.SetEnabled(false);
  WaitWhileBridgeBusy(session);
}

void ResumeUprPolling(Session& session) {
  if (session.view.BalanceSequenceVisible() || !session.state.DaisyChainMode ||
      !session.polling.PollingTicked()) {
    return;
  }
  WaitWhileBridgeBusy(session);
  session.polling.SetEnabled(true);
}

void WaitWhileBridgeBusy(Session& session) {
  while (session.exchange.BridgeBusy) session.host.PumpEvents();
}

}  // namespace qvm
