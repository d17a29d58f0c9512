#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "cli/cli_host.h"
#include "config/manual_configuration.h"
#include "core/clock.h"
#include "link/hid_device.h"
#include "protocol/session.h"

namespace qvm::cli {

// How qvmctl reaches the devices: a real board or the simulated one, and what is on it.
struct DeviceOptions {
  std::string simChain;  // empty: real boards through hidapi
  int board = 0;         // instance number of the real board
  std::string mode;      // "daisy" or "single"; from the chain text when simulating
  std::string family;    // "52400", "52400+52401" or "38817"
  int stackSize = 0;     // devices per type in a daisy chain
  bool showFrames = false;
  bool verbose = true;  // print the activity log

  // The simulated board's fault list and the seed of its noise and faults.
  std::string simFaults;
  std::uint32_t simSeed = 1;
  // The bridge boards' USB vendor id (--vid).
  std::uint16_t vendorId = kBridgeVendorId;
  // Tests: run on virtual time, so that waits cost nothing.
  bool virtualTime = false;
};

// A console session without windows: the bus, the Session and what it talks to.
class CliSession {
 public:
  CliSession(std::ostream& out, std::ostream& err);
  ~CliSession();
  CliSession(const CliSession&) = delete;
  CliSession& operator=(const CliSession&) = delete;

  // Opens the link, applies the configuration, reads the tab definition file and identifies
  // the devices, as the console's Connect does. False, with a message on the error stream,
  // when any of it fails.
  bool Connect(const DeviceOptions& options);

  Session& session() { return *session_; }
  // Valid once Connect has run.
  CliHost& host();
  CliView& view();
  CliPollingTimer& polling();
  // The bus the boards are found on. Valid once Connect has run.
  HidBus& bus();
  // The options of the last Connect.
  const DeviceOptions& options() const { return options_; }

 private:
  struct Parts;
  bool ResolveConfiguration(const DeviceOptions& options, ManualConfigChoice& choice);
  bool LoadTabDefinitions();

  std::ostream& out_;
  std::ostream& err_;
  std::unique_ptr<Parts> parts_;
  std::unique_ptr<Session> session_;
  DeviceOptions options_;
};

// Connects without printing the connection log; false, with a message, when no device
// answered. The activity log is printed afterwards when `options.verbose`.
bool ConnectQuietly(CliSession& cli, DeviceOptions options, std::ostream& err);

}  // namespace qvm::cli
