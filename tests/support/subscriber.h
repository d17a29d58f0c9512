// SPDX-License-Identifier: MIT
#pragma once

#include <mosquitto.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qvm::test {

struct Received {
  std::string topic;
  std::string payload;
  bool retained;
};

// A client that subscribes to `filter` at QoS 1 with a persistent session, and keeps every
// message it receives.
class Subscriber {
 public:
  Subscriber(int port, const std::string& filter) : port_(port), filter_(filter) {
    mosquitto_lib_init();
    client_ = mosquitto_new("qvm-test-subscriber", false, this);
    mosquitto_connect_callback_set(client_, [](mosquitto* m, void* self, int code) {
      if (code == 0)
        mosquitto_subscribe(m, nullptr, static_cast<Subscriber*>(self)->filter_.c_str(), 1);
    });
    mosquitto_subscribe_callback_set(client_, [](mosquitto*, void* self, int, int, const int*) {
      std::lock_guard lock(static_cast<Subscriber*>(self)->mutex_);
      static_cast<Subscriber*>(self)->subscribed_ = true;
    });
    mosquitto_message_callback_set(
        client_, [](mosquitto*, void* self, const mosquitto_message* message) {
          auto* me = static_cast<Subscriber*>(self);
          std::lock_guard lock(me->mutex_);
          me->received_.push_back({message->topic,
                                   std::string(static_cast<const char*>(message->payload),
                                               static_cast<std::size_t>(message->payloadlen)),
                                   message->retain});
        });
    mosquitto_reconnect_delay_set(client_, 1, 1, false);
    mosquitto_connect(client_, "127.0.0.1", port_, 10);
    mosquitto_loop_start(client_);
  }
  ~Subscriber() {
    mosquitto_disconnect(client_);
    mosquitto_loop_stop(client_, true);
    mosquitto_destroy(client_);
  }

  // Waits up to `limit` until `done` holds for the messages received.
  template <typename Done>
  std::vector<Received> WaitFor(Done done, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    for (;;) {
      {
        std::lock_guard lock(mutex_);
        if (done(received_) || std::chrono::steady_clock::now() > until) return received_;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds{10});
    }
  }
  bool WaitSubscribed() {
    WaitFor([this](const auto&) { return subscribed_; }, std::chrono::seconds{5});
    std::lock_guard lock(mutex_);
    return subscribed_;
  }

 private:
  int port_;
  std::string filter_;
  mosquitto* client_;
  std::mutex mutex_;
  bool subscribed_ = false;
  std::vector<Received> received_;
};

}  // namespace qvm::test
