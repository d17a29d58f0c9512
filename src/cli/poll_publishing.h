// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "mqtt/tick_publishing.h"
#include "operations/board_connection.h"
#include "protocol/session.h"

namespace qvm::cli {

// Publishes every tick of `poll --mqtt` as its JSON line with the rig, the board and the chain
// added; a broker that is away costs the poll nothing but a warning and exit status 3 at the
// end.
class PollPublishing {
 public:
  // Checks the settings before anything is polled; false with a one-line reason.
  bool Prepare(const MqttOptions& options, std::string& error);
  bool Active() const { return settings_ != nullptr; }
  // Connects in the background; a broker that does not answer at once is a warning on `err`.
  void Start(Session& session, HidBus& bus, const ConnectOptions& connect, std::ostream& err);
  void Publish(const std::string& tickJson);
  // Sends what is queued (a few seconds at most) and stops; the samples not delivered, each
  // counted in a warning on `err`.
  std::uint64_t Finish(std::ostream& err);

 private:
  std::unique_ptr<PublisherSettings> settings_;
  std::unique_ptr<TickPublishing> publishing_;
  std::string url_;
};

}  // namespace qvm::cli
