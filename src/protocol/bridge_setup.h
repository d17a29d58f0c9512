// SPDX-License-Identifier: MIT
#pragma once

#include "protocol/session.h"

namespace qvm {

// Fills the set-up block for the time before identification (daisy-chain bit clear) and sends
// it; false when the bridge did not take it (see UpdateReadGpioSpi).
bool SetupBridgeIdle(Session& session);

// Fills the set-up block for daisy-chain mode and sends it; also run when the SPI time-out
// changes.
bool SetupBridgeDaisy(Session& session);

// Writes the set-up block to the bridge (command 20) and reads it back; block byte 0 then holds
// the configured mode byte. Only a reply that answers the read is taken: report id 1 and the
// fixed GPIO set-up bytes as written; other input reports are passed over. False, after the
// prompt, when the link failed or no answer came within the read time-out; Retry at the prompt
// sends the block again.
bool UpdateReadGpioSpi(Session& session);

}  // namespace qvm
