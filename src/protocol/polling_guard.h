// SPDX-License-Identifier: MIT
#pragma once

#include "protocol/session.h"

namespace qvm {

// Switches polling off: unticks "Enable Polling", stops the timer, ends UPR polling.
void DisableUprPolling(Session& session);

// In daisy-chain mode with polling ticked: stops the timer and waits for a running exchange.
void PauseUprPolling(Session& session);

// In daisy-chain mode with polling ticked and the balance sequence window closed: waits for a
// running exchange and restarts the timer.
void ResumeUprPolling(Session& session);

// Lets events run until no packet exchange is under way.
void WaitWhileBridgeBusy(Session& session);

}  // namespace qvm
