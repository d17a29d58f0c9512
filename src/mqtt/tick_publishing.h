// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "link/hid_device.h"
#include "model/shared_state.h"
#include "mqtt/sample_publisher.h"

namespace qvm {

// What a front end is told to publish its polling ticks with: qvmctl's `poll --mqtt` and its
// companions, the keyword arguments of Python's Evb.poll(), the console's "Publish to MQTT"
// dialog.
struct MqttOptions {
  std::string url;  // mqtt://HOST[:PORT]/TOPIC or mqtts://...; empty: no publishing
  int qos = 1;
  std::string rig;           // empty: the host's name
  std::string user;          // empty: no login
  std::string passwordFile;  // else the password comes from QVM_MQTT_PASSWORD
  std::string caFile;        // mqtts:// only; empty: the system's certificate authorities
};

// Which of the options was refused, and why.
struct MqttOptionsProblem {
  enum class Field { kUrl, kQos, kPasswordFile, kCaFile };
  Field field = Field::kUrl;
  std::string reason;
  int errorNumber = 0;  // a file's errno
};

// The environment variable the broker password comes from when no password file is given.
inline constexpr const char* kMqttPasswordVariable = "QVM_MQTT_PASSWORD";

// The publisher's settings for `options`: the address parsed, the rig named (the host's name
// when none is given), the password read from the first line of its file or from
// QVM_MQTT_PASSWORD. Nothing, with the problem, when the address is malformed, the QoS is not 0
// or 1, or the password or certificate authority file cannot be read; nothing is connected.
std::optional<PublisherSettings> MqttPublisherSettings(const MqttOptions& options,
                                                       MqttOptionsProblem& problem);

// The machine's host name ("rig" when it has none).
std::string HostName();
// "daisy:52400x3+52401x2" or "single:38817", as --sim takes a chain.
std::string ChainText(const SharedState& state);
// The serial number (or, without one, the device node) of the bridge board `choice` names by
// its instance number, serial number or device node; the first one when `choice` is empty.
std::string BoardName(HidBus& bus, std::uint16_t vendorId, const std::string& choice);

// What a front end says when the broker does not answer at the start, and when samples were
// not delivered by the end.
std::string BrokerAbsentText(const std::string& url, const std::string& reason);
std::string UndeliveredText(std::uint64_t undelivered, const std::string& url,
                            const std::string& state);
// One line for a status display: "MQTT: connected", "MQTT: connecting (3 queued)",
// "MQTT: unreachable: Connection refused (12 queued), 4 dropped", "MQTT: stopped".
std::string PublishingStatusText(const std::string& stateText, const PublisherCounts& counts);

// Publishes the ticks of polling runs: each tick's JSON object (TickJson of
// records/sample_json.h) with "rig", "board" and "chain" added, queued to a SamplePublisher on
// a thread of its own, so that polling never waits on the network.
class TickPublishing {
 public:
  TickPublishing(PublisherSettings settings, const std::string& board, const std::string& chain);

  // Connects in the background and waits up to `firstConnect`; false with the reason when the
  // broker did not answer by then (the publisher goes on trying, with back-off).
  bool Start(std::chrono::milliseconds firstConnect, std::string& reason);
  // Queues one tick's JSON object, the rig, the board and the chain added; never waits on the
  // network.
  void Publish(std::string_view tickJson);
  // Sends what is queued for up to `flush` and stops; `dropped` counts what was not
  // delivered.
  PublisherCounts Finish(std::chrono::milliseconds flush);
  // The same without waiting (Finished() once done).
  void RequestFinish(std::chrono::milliseconds flush) { publisher_->RequestStop(flush); }
  bool Finished() const { return publisher_->Finished(); }

  // The message of `tickJson`: its object with the rig, the board and the chain added.
  std::string Message(std::string_view tickJson) const;
  const SamplePublisher& Publisher() const { return *publisher_; }
  const PublisherSettings& Settings() const { return settings_; }

 private:
  PublisherSettings settings_;
  std::string added_;
  std::unique_ptr<SamplePublisher> publisher_;
};

}  // namespace qvm
