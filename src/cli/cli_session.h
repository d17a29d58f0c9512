// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "cli/cli_host.h"
#include "operations/board_connection.h"

namespace qvm::cli {

// How qvmctl reaches the devices: a real board or the simulated one, and what is on it.
struct DeviceOptions : ConnectOptions {
  bool showFrames = false;
  bool verbose = true;  // print the activity log
  // The activity log is the command's result (identify, command): it goes to the output stream
  // instead of the error stream.
  bool logIsResult = false;
  bool json = false;  // print results as JSON documents
};

// A console session without windows that prints: the board connection with qvmctl's host,
// view, fault recorder and polling timer.
class CliSession {
 public:
  CliSession(std::ostream& out, std::ostream& err);
  ~CliSession();
  CliSession(const CliSession&) = delete;
  CliSession& operator=(const CliSession&) = delete;

  // Connects as the console's Connect does. False, with a message on the error stream, when any
  // of it fails.
  bool Connect(const DeviceOptions& options);

  Session& session() { return connection_->session(); }
  BoardConnection& connection() { return *connection_; }
  // The bus the boards are found on. Valid once Connect has run.
  HidBus& bus() { return connection_->bus(); }
  // The options of the last Connect.
  const DeviceOptions& options() const { return options_; }
  // Valid once Connect has run.
  CliHost& host();
  CliView& view();
  FlagPollingTimer& polling();
  CliFaultRecorder& recorder();

 private:
  struct Parts;

  std::ostream& out_;
  std::ostream& err_;
  std::unique_ptr<Parts> parts_;
  std::unique_ptr<BoardConnection> connection_;
  DeviceOptions options_;
};

// Connects without printing the connection log; false, with a message, when no device
// answered. The activity log is printed afterwards when `options.verbose`.
bool ConnectQuietly(CliSession& cli, DeviceOptions options, std::ostream& err);

}  // namespace qvm::cli
