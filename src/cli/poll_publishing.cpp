// SPDX-License-Identifier: MIT
#include "cli/poll_publishing.h"

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <fstream>

#include "core/json_text.h"
#include "core/number_text.h"
#include "link/board_access.h"

namespace qvm::cli {

namespace {

constexpr std::chrono::seconds kFirstConnect{2};
constexpr std::chrono::seconds kFlush{5};

std::string HostName() {
  std::array<char, 256> name{};
  return gethostname(name.data(), name.size() - 1) == 0 ? std::string(name.data()) : "rig";
}

// "daisy:52400x3+52401x2" or "single:38817", as --sim takes a chain.
std::string ChainText(const SharedState& state) {
  const auto part = [](const std::string& name) {
    return name.starts_with("QVM") ? name.substr(3) : name;
  };
  if (!state.DaisyChainMode) return "single:" + part(state.PartName52400);
  std::string chain =
      "daisy:" + part(state.PartName52400) + "x" + std::to_string(state.DeviceCount52400);
  if (state.DeviceCount52401 > 0) {
    chain += "+" + part(state.PartName52401) + "x" + std::to_string(state.DeviceCount52401);
  }
  return chain;
}

// The serial number (or, without one, the device node) of the board the poll opened.
std::string BoardName(HidBus& bus, const ConnectOptions& connect) {
  int index = 0;
  for (const HidDeviceInfo& info : bus.Enumerate()) {
    if (!HasBridgeIds(info, connect.vendorId)) continue;
    const std::string name = info.serial.empty() ? info.path : info.serial;
    const auto number = ParseNumberText(connect.board, 0xFFFF);
    if (connect.board.empty() || connect.board == info.serial || connect.board == info.path ||
        (number && static_cast<int>(*number) == index)) {
      return name;
    }
    ++index;
  }
  return connect.board;
}

}  // namespace

bool PollPublishing::Prepare(const MqttOptions& options, std::string& error) {
  if (options.url.empty()) return true;
  const auto address = ParseBrokerAddress(options.url, error);
  if (!address) {
    error = "--mqtt " + options.url + ": " + error;
    return false;
  }
  auto settings = std::make_unique<PublisherSettings>();
  settings->address = *address;
  settings->qos = options.qos;
  settings->rig = options.rig.empty() ? HostName() : options.rig;
  settings->username = options.user;
  settings->caFile = options.caFile;
  if (!options.passwordFile.empty()) {
    std::ifstream file(options.passwordFile);
    if (!file || !std::getline(file, settings->password)) {
      error = "--mqtt-password-file " + options.passwordFile + " cannot be read";
      return false;
    }
  } else if (const char* password = std::getenv("QVM_MQTT_PASSWORD")) {
    settings->password = password;
  }
  settings_ = std::move(settings);
  url_ = options.url;
  return true;
}

void PollPublishing::Start(Session& session, HidBus& bus, const ConnectOptions& connect,
                           std::ostream& err) {
  if (!settings_) return;
  added_ = ",\"rig\":" + JsonString(settings_->rig) +
           ",\"board\":" + JsonString(BoardName(bus, connect)) +
           ",\"chain\":" + JsonString(ChainText(session.state)) + "}";
  publisher_ = std::make_unique<SamplePublisher>(*settings_);
  std::string reason;
  if (!publisher_->Start(kFirstConnect, reason)) {
    err << "qvmctl: warning: the broker " << url_ << " does not answer (" << reason
        << "); polling goes on and publishes once it does\n";
  }
}

void PollPublishing::Publish(const std::string& tickJson) {
  if (!publisher_ || tickJson.empty() || tickJson.back() != '}') return;
  publisher_->Publish(tickJson.substr(0, tickJson.size() - 1) + added_);
}

std::uint64_t PollPublishing::Finish(std::ostream& err) {
  if (!publisher_) return 0;
  const std::string state = publisher_->StateText();
  const PublisherCounts counts = publisher_->Stop(kFlush);
  if (counts.dropped > 0) {
    err << "qvmctl: " << counts.dropped << " samples were not delivered to the broker " << url_
        << " (" << state << ")\n";
  }
  return counts.dropped;
}

}  // namespace qvm::cli
