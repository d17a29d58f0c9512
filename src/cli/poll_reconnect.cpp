// SPDX-License-Identifier: MIT
#include "cli/poll_reconnect.h"

#include <algorithm>
#include <ostream>

#include "cli/stop_signal.h"
#include "link/board_access.h"
#include "protocol/board_init.h"

namespace qvm::cli {

namespace {

constexpr std::int64_t kLookEveryMs = 1000;

// The instance number of the chosen board once it can be opened again.
std::optional<int> ChosenBoardBack(CliSession& cli) {
  std::string error;
  bool denied = false;
  const auto boards = ListBridgeBoards(cli.bus(), cli.session().bridge.VendorId);
  const bool anyOpens = std::any_of(boards.begin(), boards.end(),
                                    [](const BridgeBoardEntry& entry) { return entry.canOpen; });
  if (!anyOpens) return std::nullopt;
  return ChosenBoardInstance(cli.bus(), cli.options(), error, denied);
}

}  // namespace

bool Reconnect(CliSession& cli, int seconds, std::ostream& err) {
  Session& session = cli.session();
  const int primaries = session.state.DeviceCount52400;
  const int companions = session.state.DeviceCount52401;
  const std::int64_t deadline = session.clock.NowMs() + std::int64_t{seconds} * 1000;
  err << "qvmctl: waiting up to " << seconds << " s for the board to come back\n";
  for (;;) {
    if (StopSignal() != 0) return false;
    if (const auto instance = ChosenBoardBack(cli)) {
      InitializeDriver(session);
      if (session.bridge.EvbConnected) {
        session.bridge.SelectBoard(*instance);
        InitializeEvb(session);
        if (session.state.DeviceCount52400 == primaries &&
            session.state.DeviceCount52401 == companions) {
          err << "qvmctl: the board is back; polling goes on\n";
          return true;
        }
        err << "qvmctl: the board came back with " << session.state.DeviceCount52400 << "+"
            << session.state.DeviceCount52401 << " devices instead of " << primaries << "+"
            << companions << '\n';
        return false;
      }
    }
    if (session.clock.NowMs() >= deadline) {
      err << "qvmctl: the board did not come back within " << seconds << " s\n";
      return false;
    }
    session.clock.SleepMs(kLookEveryMs);
  }
}

}  // namespace qvm::cli
