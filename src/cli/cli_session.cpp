// SPDX-License-Identifier: MIT
#include "cli/cli_session.h"

#include <ostream>

#include "operations/identify_check.h"

namespace qvm::cli {

struct CliSession::Parts {
  Parts(std::ostream& out, std::ostream& err, const DeviceOptions& options)
      : host(err), view(options.logIsResult ? out : err, err, options.showFrames), recorder(err) {
    view.polling = &polling;
  }

  CliHost host;
  CliView view;
  CliFaultRecorder recorder;
  FlagPollingTimer polling;
};

CliSession::CliSession(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

CliSession::~CliSession() = default;

CliHost& CliSession::host() {
  return parts_->host;
}

CliView& CliSession::view() {
  return parts_->view;
}

FlagPollingTimer& CliSession::polling() {
  return parts_->polling;
}

CliFaultRecorder& CliSession::recorder() {
  return parts_->recorder;
}

bool ConnectQuietly(CliSession& cli, DeviceOptions options, std::ostream& err) {
  const bool verbose = options.verbose;
  options.verbose = false;
  if (!cli.Connect(options)) return false;
  // No device, or a chain found short, which would give every later exchange of the missing
  // devices up as failed.
  const Session& session = cli.session();
  if (const auto shortfall = IdentifyShortfall(session, ExpectedChainOf(options, session.state))) {
    err << "qvmctl: " << *shortfall << '\n';
    return false;
  }
  cli.view().printLog = verbose;
  return true;
}

bool CliSession::Connect(const DeviceOptions& options) {
  options_ = options;
  connection_.reset();
  parts_ = std::make_unique<Parts>(out_, err_, options);
  parts_->view.printLog = options.verbose;
  connection_ = std::make_unique<BoardConnection>(
      SessionOutside{parts_->host, parts_->view, parts_->recorder, parts_->polling});
  ConnectOptions connect = options;
  connect.messageTitle = "qvmctl";
  std::string error;
  if (connection_->Connect(connect, error)) return true;
  if (!error.empty()) err_ << "qvmctl: " << error << '\n';
  return false;
}

}  // namespace qvm::cli
