// SPDX-License-Identifier: MIT
#pragma once

#include "protocol/session.h"

namespace qvm {

// Identify protocol constants (page 3 commands).
inline constexpr std::uint8_t kCommandPage = 3;
inline constexpr std::uint8_t kAdrIdentify = 9;
inline constexpr std::uint8_t kAdrAck = 12;
inline constexpr std::uint8_t kAdrReset = 18;
// Identify number that closes the numbering.
inline constexpr std::int16_t kIdentifyClose = 63;
inline constexpr int kMaxChainDevices = 14;

// Numbers the devices of one type on the daisy chain (RESET, Identify 0, Identify 2..14, close)
// and sets the type's device count; three attempts, each after a RESET. The device that says it
// is the top is counted only once it answers a read addressed to it. Sets the type's
// ChainIdentified when the numbering was closed.
void IdentifyDaisyChain(Session& session, int devType);

// Proves a single device by writing and reading back its user register, restores the register
// and reads the 28-bit serial number; the type's device count and ChainIdentified are set.
void IdentifyNonDaisyChain(Session& session, int devType);

}  // namespace qvm
