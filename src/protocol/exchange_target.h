// SPDX-License-Identifier: MIT
#pragma once

#include "protocol/device_command.h"
#include "protocol/session.h"

namespace qvm {

// The devices `command` addresses in the current mode and the registers each is to send back:
// the block of a block read, the register of a read, nothing for a write, a command, RESET,
// identify or a UPR buffer read. A device the chain does not have is not expected to answer.
ExchangeTarget TargetOf(const Session& session, const DeviceCommand& command);

// After the reply of the exchange under way was parsed, or the exchange failed: every value it
// was to bring and did not is marked stale, so that the value from before never passes for a
// reading.
void SettleExchange(Session& session);

}  // namespace qvm
