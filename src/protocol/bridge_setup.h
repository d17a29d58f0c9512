#pragma once

#include "protocol/session.h"

namespace qvm {

// Fills the set-up block for the time before identification (daisy-chain bit clear) and sends
// it.
void SetupBridgeIdle(Session& session);

// Fills the set-up block for daisy-chain mode and sends it; also run when the SPI time-out
// changes.
void SetupBridgeDaisy(Session& session);

// Writes the set-up block to the bridge (command 20) and reads it back; block byte 0 then holds
// the configured mode byte.
void UpdateReadGpioSpi(Session& session);

}  // namespace qvm
