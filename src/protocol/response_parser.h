// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "protocol/device_command.h"
#include "protocol/session.h"

namespace qvm {

// Register indexes the parser reacts to.
inline constexpr int kRegFaultStatus = 132;  // page 2, address 4
inline constexpr int kRegNak = 203;          // page 3, address 11
inline constexpr int kRegAck = 204;          // page 3, address 12
inline constexpr int kRegAlwaysData = 87;    // page 1, address 23: read as data in single mode

// A block read: the first address the devices return and the number of data words.
struct BlockRead {
  int firstAddress = 0;
  int words = 0;
};

// The block answered to a request of `devType` for page `cat` (bits 2..0), address `adr`;
// 0 words when the request is not a known block read.
BlockRead BlockReadFor(int devType, int cat, int adr);

// Walks the daisy-chain response frames of the last reply: checks each CRC4, stores register
// values in the register image, lights the ACK/NAK/fault indicators, logs each frame with
// `prefix`, refreshes the displays and records every fault bit that has newly become set.
void ParseDaisyChainResponse(Session& session, const DeviceCommand& command,
                             const std::string& prefix);

// Takes the single device's value out of the last reply into `command.dat` and the register
// image, logs it with `prefix` and refreshes the displays.
void ParseNonDaisyChainResponse(Session& session, DeviceCommand& command,
                                const std::string& prefix);

// The shown main-tab status frame and first monitor frame repaint from the register image.
void RefreshStatusDisplays(ProtocolView& view);

// Refreshes the status displays now, or at the end of the StatusRefreshBatch that runs.
void RequestStatusRefresh(Session& session);

// Gathers the status refreshes asked for during one operation over the chain into one at its
// end: the displays show the values of all the devices it read, not each reply's step on the way
// (which no paint would show).
class StatusRefreshBatch {
 public:
  explicit StatusRefreshBatch(Session& session);
  ~StatusRefreshBatch();
  StatusRefreshBatch(const StatusRefreshBatch&) = delete;
  StatusRefreshBatch& operator=(const StatusRefreshBatch&) = delete;

 private:
  Session& session_;
};

// Rows of the selected register tab that show register `address` get `value`.
void RefreshRegisterSlots(Session& session, int address, std::int16_t value);

}  // namespace qvm
