// SPDX-License-Identifier: MIT
#include "mqtt/tick_publishing.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "core/json_text.h"
#include "core/number_text.h"
#include "link/board_access.h"

namespace qvm {

namespace {

// The first line of `path`, without its line end; false with errno's reason when unreadable.
bool ReadFirstLine(const std::string& path, std::string& line, MqttOptionsProblem& problem) {
  errno = 0;
  std::ifstream file(path);
  if (!file) {
    problem.errorNumber = errno != 0 ? errno : EIO;
    problem.reason = path + " cannot be read: " + std::strerror(problem.errorNumber);
    return false;
  }
  std::getline(file, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

std::string Count(std::uint64_t n) {
  return std::to_string(n);
}

}  // namespace

std::optional<PublisherSettings> MqttPublisherSettings(const MqttOptions& options,
                                                       MqttOptionsProblem& problem) {
  const auto address = ParseBrokerAddress(options.url, problem.reason);
  if (!address) {
    problem.field = MqttOptionsProblem::Field::kUrl;
    problem.reason = options.url + ": " + problem.reason;
    return std::nullopt;
  }
  if (options.qos != 0 && options.qos != 1) {
    problem.field = MqttOptionsProblem::Field::kQos;
    problem.reason = "the QoS is 0 or 1, not " + std::to_string(options.qos);
    return std::nullopt;
  }
  PublisherSettings settings;
  settings.address = *address;
  settings.qos = options.qos;
  settings.rig = options.rig.empty() ? HostName() : options.rig;
  settings.username = options.user;
  if (!options.passwordFile.empty()) {
    problem.field = MqttOptionsProblem::Field::kPasswordFile;
    if (!ReadFirstLine(options.passwordFile, settings.password, problem)) return std::nullopt;
  } else if (const char* password = std::getenv(kMqttPasswordVariable)) {
    settings.password = password;
  }
  if (!options.caFile.empty()) {
    // libmosquitto would take an unreadable file silently and then fail every connection.
    std::string ignored;
    problem.field = MqttOptionsProblem::Field::kCaFile;
    if (!ReadFirstLine(options.caFile, ignored, problem)) return std::nullopt;
    settings.caFile = options.caFile;
  }
  problem = {};
  return settings;
}

std::string HostName() {
  std::array<char, 256> name{};
  if (gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0') return "rig";
  return name.data();
}

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

std::string BoardName(HidBus& bus, std::uint16_t vendorId, const std::string& choice) {
  int index = 0;
  const auto number = ParseNumberText(choice, 0xFFFF);
  for (const HidDeviceInfo& info : bus.Enumerate()) {
    if (!HasBridgeIds(info, vendorId)) continue;
    if (choice.empty() || choice == info.serial || choice == info.path ||
        (number && static_cast<int>(*number) == index)) {
      return info.serial.empty() ? info.path : info.serial;
    }
    ++index;
  }
  return choice;
}

std::string BrokerAbsentText(const std::string& url, const std::string& reason) {
  return "the broker " + url + " does not answer (" + reason +
         "); polling goes on and publishes once it does";
}

std::string UndeliveredText(std::uint64_t undelivered, const std::string& url,
                            const std::string& state) {
  return Count(undelivered) + " samples were not delivered to the broker " + url + " (" + state +
         ")";
}

std::string PublishingStatusText(const std::string& stateText, const PublisherCounts& counts) {
  constexpr std::string_view kBroker = "broker ";
  std::string text =
      "MQTT: " + (stateText.starts_with(kBroker) ? stateText.substr(kBroker.size()) : stateText);
  if (counts.queued > 0) text += " (" + Count(counts.queued) + " queued)";
  if (counts.dropped > 0) text += ", " + Count(counts.dropped) + " dropped";
  return text;
}

TickPublishing::TickPublishing(PublisherSettings settings, const std::string& board,
                               const std::string& chain)
    : settings_(std::move(settings)),
      added_(",\"rig\":" + JsonString(settings_.rig) + ",\"board\":" + JsonString(board) +
             ",\"chain\":" + JsonString(chain) + "}"),
      publisher_(std::make_unique<SamplePublisher>(settings_)) {}

bool TickPublishing::Start(std::chrono::milliseconds firstConnect, std::string& reason) {
  return publisher_->Start(firstConnect, reason);
}

std::string TickPublishing::Message(std::string_view tickJson) const {
  if (tickJson.empty() || tickJson.back() != '}') return std::string(tickJson);
  std::string message;
  message.reserve(tickJson.size() + added_.size());
  message.append(tickJson.substr(0, tickJson.size() - 1));
  message += added_;
  return message;
}

void TickPublishing::Publish(std::string_view tickJson) {
  if (tickJson.empty()) return;
  publisher_->Publish(Message(tickJson));
}

PublisherCounts TickPublishing::Finish(std::chrono::milliseconds flush) {
  return publisher_->Stop(flush);
}

}  // namespace qvm
