// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "mqtt/broker_address.h"

struct mosquitto;

namespace qvm {

struct PublisherSettings {
  BrokerAddress address;
  int qos = 1;
  // Names the rig in the client id and the status messages.
  std::string rig;
  std::string username;
  std::string password;
  // Certificate authority of a TLS broker; empty uses the system's.
  std::string caFile;
  // Messages held while the broker is away; past it the oldest go first.
  std::size_t queueLimit = 10000;
};

enum class BrokerState { Connecting, Connected, Reconnecting, Stopped };

struct PublisherCounts {
  // Handed to the broker (acknowledged by it at QoS 1).
  std::uint64_t published = 0;
  // Dropped from a full queue, or still unsent when publishing stopped.
  std::uint64_t dropped = 0;
  // Connections lost after one was made.
  std::uint64_t connectionsLost = 0;
  // Waiting to be sent or acknowledged now.
  std::uint64_t queued = 0;
};

// Publishes messages to a broker from a thread of its own, so that a slow or absent broker
// never holds up the caller: Publish only queues. The worker connects, reconnects with
// back-off, keeps a retained status ("online", and "offline" as the broker's last will), and
// at QoS 1 sends a message again after a lost connection until the broker acknowledged it.
class SamplePublisher {
 public:
  explicit SamplePublisher(PublisherSettings settings);
  ~SamplePublisher();
  SamplePublisher(const SamplePublisher&) = delete;
  SamplePublisher& operator=(const SamplePublisher&) = delete;

  // Starts the worker and waits up to `firstConnect` for the broker. False with `reason` when
  // it did not connect by then; the worker keeps trying.
  bool Start(std::chrono::milliseconds firstConnect, std::string& reason);
  // Queues a message on the sample topic; never waits on the network.
  void Publish(std::string payload);
  // Sends what is queued for up to `flush`, sets the status "offline" and disconnects.
  PublisherCounts Stop(std::chrono::milliseconds flush);
  // The same without waiting: the worker stops on its own (Finished() then); what it did not
  // send by then counts as dropped. A later request (or Stop) may shorten the time, never
  // lengthen it.
  void RequestStop(std::chrono::milliseconds flush);
  // True once the worker stopped (or Stop ran without a worker).
  bool Finished() const { return State() == BrokerState::Stopped; }

  BrokerState State() const;
  // The state for a status line: "broker connected", "broker unreachable: <reason>", ...
  std::string StateText() const;
  PublisherCounts Counts() const;
  std::string StatusTopic() const { return settings_.address.topic + "/status"; }

 private:
  using Clock = std::chrono::steady_clock;

  void Run();
  void TryConnect(Clock::time_point now);
  // Hands queued messages to the library; false when it would not take one now.
  bool SendQueued();
  // Sleeps until the socket, a new message or a stop request wants the worker, or something
  // falls due, and lets the library read, write and keep the connection alive.
  void WaitAndService(Clock::time_point now, bool retrySoon);
  // Waits up to `wait` for the socket or the wake-up, then lets the library read, write and keep
  // the connection alive.
  void ServiceSocket(std::chrono::milliseconds wait);
  // Wakes the worker from its wait.
  void Wake();
  void OnConnect(int code);
  void OnDisconnect();
  void OnPublish(int mid);
  std::string StatusMessage(const char* state) const;

  PublisherSettings settings_;
  mosquitto* client_ = nullptr;
  // An eventfd that Publish and RequestStop signal.
  int wake_ = -1;
  std::thread worker_;

  mutable std::mutex mutex_;
  std::deque<std::string> queue_;
  PublisherCounts counts_;
  BrokerState state_ = BrokerState::Connecting;
  std::string lastError_;
  bool stopping_ = false;
  Clock::time_point flushUntil_{};

  // Messages handed to the library and not yet acknowledged, in the order sent, with their
  // message ids.
  struct Inflight {
    int mid;
    std::string payload;
  };
  std::deque<Inflight> inflight_;
  // Worker only.
  bool socketOpen_ = false;
  // The message id of the last "offline" status until the broker acknowledged it.
  int offlineMid_ = 0;
  Clock::time_point nextAttempt_{};
  std::chrono::milliseconds backoff_{100};
};

}  // namespace qvm
