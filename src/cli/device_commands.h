// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <iosfwd>

#include "cli/cli_session.h"

namespace qvm::cli {

// The register a read or write addresses.
struct RegisterTarget {
  std::uint32_t dev = 0;
  std::uint32_t page = 0;
  std::uint32_t adr = 0;
  std::uint32_t devType = 0;
};

// Connects and identifies; prints the activity log (or the device counts as JSON). 1 when no
// device answered or the chain found is not the one expected (--stack, or the simulated chain).
int RunIdentify(const DeviceOptions& options, std::ostream& out, std::ostream& err);
// Reads one register and prints its value as 0xNNNN.
int RunRead(const DeviceOptions& options, const RegisterTarget& target, std::ostream& out,
            std::ostream& err);
// Writes one register.
int RunWrite(const DeviceOptions& options, const RegisterTarget& target, std::uint32_t value,
             std::ostream& out, std::ostream& err);

// A raw frame for the raw message sender: device, category (page, write flag in bit 3),
// address and data.
struct RawFrame {
  std::uint32_t dev = 0;
  std::uint32_t cat = 0;
  std::uint32_t adr = 0;
  std::uint32_t dat = 0;
  std::uint32_t devType = 0;
};

// `send`: encodes the frame in the chain's mode and sends it as the raw message sender does (a
// category below 8 as a read, 8 and above as a write); prints the frame sent and the reply (the
// value read, or "ACK" for a write). 1 when the device type is absent, the register is not
// writable, or the reply is missing, a NACK or fails its CRC4 check.
int RunSend(const DeviceOptions& options, const RawFrame& frame, std::ostream& out,
            std::ostream& err);

}  // namespace qvm::cli
