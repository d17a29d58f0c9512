// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "protocol/session.h"

namespace qvm {

// Opens the bridge link and reports the outcome in the activity log.
void InitializeDriver(Session& session);

// Closes the bridge link.
void CloseDriver(Session& session);

// Configures the bridge for the configured mode byte and identifies the devices, which sets
// the device counts.
void InitializeEvb(Session& session);

// Waits `ms` milliseconds on the session's clock while events run.
void WaitMs(Session& session, std::int64_t ms);

}  // namespace qvm
