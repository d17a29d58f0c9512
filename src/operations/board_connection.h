// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "config/manual_configuration.h"
#include "core/clock.h"
#include "link/hid_device.h"
#include "protocol/session.h"
#include "sim/chain/simulated_evb.h"

namespace qvm {

// Which board a front end without windows talks to, and what is on it.
struct ConnectOptions {
  std::string simChain;  // empty: real boards through hidapi
  // The board: its instance number, serial number or device node; empty: the first one.
  std::string board;
  std::string mode;          // "daisy" or "single"; from the chain text when simulating
  std::string family;        // "52400", "52400+52401" or "38817"
  int stackSize = 0;         // devices per type in a daisy chain
  bool virtualTime = false;  // simulated board only: waits cost nothing
  // The simulated board's fault list (--sim-faults) and the seed of its noise and faults.
  std::string simFaults;
  std::uint32_t simSeed = 1;
  std::string dataFolder;    // where the tab definition files lie; empty: beside the program
  std::string messageTitle;  // title of the message boxes; empty: the bridge's own
  std::uint16_t vendorId = kBridgeVendorId;  // the bridge boards' USB vendor id (--vid)
};

// What the program around the session answers with: prompts, the activity log, the
// communication error records and the polling timer.
struct SessionOutside {
  Host& host;
  ProtocolView& view;
  FaultRecorder& faults;
  PollingTimer& polling;
};

// A console session without windows, as qvmctl and the Python module run it: the bus (a real
// board or the simulated one), the clock and the Session, connected as the console's Connect
// does.
class BoardConnection {
 public:
  explicit BoardConnection(const SessionOutside& outside);
  ~BoardConnection();
  BoardConnection(const BoardConnection&) = delete;
  BoardConnection& operator=(const BoardConnection&) = delete;

  // Opens the link, applies the configuration, reads the tab definition file and identifies the
  // devices. False when any of it fails, with the reason in `error` (empty when the host was
  // already told); the identification itself may still have found no device (DeviceCount).
  bool Connect(const ConnectOptions& options, std::string& error);

  // Valid once Connect has run.
  Session& session() { return *session_; }
  Clock& clock() { return *clock_; }
  // The bus the boards are found on.
  HidBus& bus() { return simulated_ ? *simulated_->bus : *hidapi_; }
  // The simulated board, for fault injection; null on real boards.
  sim::SimulatedEvb* simulated() { return simulated_ ? &*simulated_ : nullptr; }
  // Devices of both types that identification found.
  int DeviceCount() const;
  // True after a Connect that failed because the user may not open the board.
  bool AccessDenied() const { return accessDenied_; }

 private:
  bool ResolveConfiguration(const ConnectOptions& options, ManualConfigChoice& choice,
                            std::string& error);
  bool LoadTabDefinitions(std::string& error);

  SessionOutside outside_;
  std::string dataFolder_;
  std::unique_ptr<Clock> clock_;
  std::optional<sim::SimulatedEvb> simulated_;
  std::unique_ptr<HidBus> hidapi_;
  std::unique_ptr<Session> session_;
  bool accessDenied_ = false;
};

// The instance number of the board `options.board` names among the boards on `bus` (0 when it
// names none); nothing, with the reason in `error`, when it matches no board, several, or one
// that cannot be opened (`accessDenied` then tells whether access was refused).
std::optional<int> ChosenBoardInstance(HidBus& bus, const ConnectOptions& options,
                                       std::string& error, bool& accessDenied);

// The folder of the running program, where the tab definition files lie.
std::string ProgramFolder();

}  // namespace qvm
