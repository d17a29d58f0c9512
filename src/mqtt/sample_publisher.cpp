// SPDX-License-Identifier: MIT
#include "mqtt/sample_publisher.h"

#include <mosquitto.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/json_text.h"

namespace qvm {

namespace {

constexpr std::chrono::milliseconds kLeastBackoff{100};
constexpr std::chrono::milliseconds kMostBackoff{5000};
constexpr int kLoopMs = 10;
// The longest the worker sleeps with nothing to do: the keep-alive is looked after this often.
constexpr std::chrono::milliseconds kMostIdle{1000};
// How long the last "offline" status may take to be acknowledged.
constexpr std::chrono::milliseconds kOfflineWait{500};
constexpr int kKeepAliveSeconds = 10;
constexpr std::size_t kMostInflight = 64;

int InitLibrary() {
  static const int code = mosquitto_lib_init();
  return code;
}

}  // namespace

SamplePublisher::SamplePublisher(PublisherSettings settings) : settings_(std::move(settings)) {
  InitLibrary();
  wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  const std::string id = "qvm-" + (settings_.rig.empty() ? std::string("rig") : settings_.rig);
  client_ = mosquitto_new(id.c_str(), true, this);
  mosquitto_int_option(client_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
  mosquitto_connect_callback_set(client_, [](mosquitto*, void* self, int code) {
    static_cast<SamplePublisher*>(self)->OnConnect(code);
  });
  mosquitto_disconnect_callback_set(client_, [](mosquitto*, void* self, int) {
    static_cast<SamplePublisher*>(self)->OnDisconnect();
  });
  mosquitto_publish_callback_set(client_, [](mosquitto*, void* self, int mid) {
    static_cast<SamplePublisher*>(self)->OnPublish(mid);
  });
  const std::string offline = StatusMessage("offline");
  mosquitto_will_set(client_, StatusTopic().c_str(), static_cast<int>(offline.size()),
                     offline.data(), 1, true);
  if (!settings_.username.empty()) {
    mosquitto_username_pw_set(client_, settings_.username.c_str(),
                              settings_.password.empty() ? nullptr : settings_.password.c_str());
  }
  if (settings_.address.tls) {
    mosquitto_tls_set(client_, settings_.caFile.empty() ? nullptr : settings_.caFile.c_str(),
                      settings_.caFile.empty() ? "/etc/ssl/certs" : nullptr, nullptr, nullptr,
                      nullptr);
  }
}

SamplePublisher::~SamplePublisher() {
  Stop(std::chrono::milliseconds{0});
  mosquitto_destroy(client_);
  if (wake_ >= 0) close(wake_);
}

void SamplePublisher::Wake() {
  if (wake_ < 0) return;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wake_, &one, sizeof one);
}

std::string SamplePublisher::StatusMessage(const char* state) const {
  return "{\"rig\":" + JsonString(settings_.rig) + ",\"state\":\"" + state + "\"}";
}

bool SamplePublisher::Start(std::chrono::milliseconds firstConnect, std::string& reason) {
  worker_ = std::thread([this] { Run(); });
  const auto until = Clock::now() + firstConnect;
  while (Clock::now() < until) {
    if (State() == BrokerState::Connected) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds{5});
  }
  if (State() == BrokerState::Connected) return true;
  std::lock_guard lock(mutex_);
  reason = lastError_.empty() ? "the broker did not answer" : lastError_;
  return false;
}

void SamplePublisher::Publish(std::string payload) {
  {
    std::lock_guard lock(mutex_);
    if (state_ == BrokerState::Stopped) return;
    while (queue_.size() + inflight_.size() >= settings_.queueLimit && !queue_.empty()) {
      queue_.pop_front();
      ++counts_.dropped;
    }
    queue_.push_back(std::move(payload));
  }
  Wake();
}

void SamplePublisher::RequestStop(std::chrono::milliseconds flush) {
  {
    std::lock_guard lock(mutex_);
    if (!worker_.joinable()) {
      state_ = BrokerState::Stopped;
      return;
    }
    const Clock::time_point until = Clock::now() + flush;
    // A second request may only shorten the time left.
    if (stopping_ && flushUntil_ <= until) return;
    stopping_ = true;
    flushUntil_ = until;
  }
  Wake();
}

PublisherCounts SamplePublisher::Stop(std::chrono::milliseconds flush) {
  RequestStop(flush);
  if (worker_.joinable()) worker_.join();
  return Counts();
}

BrokerState SamplePublisher::State() const {
  std::lock_guard lock(mutex_);
  return state_;
}

std::string SamplePublisher::StateText() const {
  std::lock_guard lock(mutex_);
  switch (state_) {
    case BrokerState::Connected:
      return "broker connected";
    case BrokerState::Connecting:
      return "broker connecting";
    case BrokerState::Reconnecting:
      return "broker unreachable" + (lastError_.empty() ? std::string() : ": " + lastError_);
    case BrokerState::Stopped:
      break;
  }
  return "broker stopped";
}

PublisherCounts SamplePublisher::Counts() const {
  std::lock_guard lock(mutex_);
  PublisherCounts counts = counts_;
  counts.queued = queue_.size() + inflight_.size();
  return counts;
}

void SamplePublisher::Run() {
  for (;;) {
    const Clock::time_point now = Clock::now();
    {
      std::lock_guard lock(mutex_);
      const bool empty = queue_.empty() && inflight_.empty();
      if (stopping_ && (empty || now >= flushUntil_)) break;
    }
    if (State() != BrokerState::Connected && !socketOpen_) TryConnect(now);
    const bool blocked = State() == BrokerState::Connected && !SendQueued();
    WaitAndService(now, blocked);
  }
  if (socketOpen_) {
    // "offline" until the broker acknowledged it (a moment at most), then a clean disconnect.
    const std::string offline = StatusMessage("offline");
    int mid = 0;
    if (mosquitto_publish(client_, &mid, StatusTopic().c_str(), static_cast<int>(offline.size()),
                          offline.data(), 1, true) == MOSQ_ERR_SUCCESS) {
      offlineMid_ = mid;
      const Clock::time_point until = Clock::now() + kOfflineWait;
      while (socketOpen_ && offlineMid_ != 0 && Clock::now() < until) {
        ServiceSocket(std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()));
      }
    }
    mosquitto_disconnect(client_);
    if (socketOpen_ && mosquitto_want_write(client_)) mosquitto_loop_write(client_, 1);
  }
  std::lock_guard lock(mutex_);
  counts_.dropped += queue_.size() + inflight_.size();
  queue_.clear();
  inflight_.clear();
  state_ = BrokerState::Stopped;
}

void SamplePublisher::TryConnect(Clock::time_point now) {
  if (now < nextAttempt_) return;
  const int code = mosquitto_connect(client_, settings_.address.host.c_str(),
                                     settings_.address.port, kKeepAliveSeconds);
  if (code == MOSQ_ERR_SUCCESS) {
    socketOpen_ = true;
    return;
  }
  std::lock_guard lock(mutex_);
  lastError_ = code == MOSQ_ERR_ERRNO ? std::string(std::strerror(errno))
                                      : std::string(mosquitto_strerror(code));
  state_ = BrokerState::Reconnecting;
  nextAttempt_ = now + backoff_;
  backoff_ = std::min(backoff_ * 2, kMostBackoff);
}

bool SamplePublisher::SendQueued() {
  while (inflight_.size() < kMostInflight) {
    std::string payload;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) return true;
      payload = std::move(queue_.front());
      queue_.pop_front();
    }
    int mid = 0;
    const std::string& topic = settings_.address.topic;
    const int code =
        mosquitto_publish(client_, &mid, topic.c_str(), static_cast<int>(payload.size()),
                          payload.data(), settings_.qos, false);
    std::lock_guard lock(mutex_);
    if (code != MOSQ_ERR_SUCCESS) {
      queue_.push_front(std::move(payload));
      return false;
    }
    inflight_.push_back({mid, std::move(payload)});
  }
  // Waiting for acknowledgements, which the socket brings.
  return true;
}

void SamplePublisher::WaitAndService(Clock::time_point now, bool retrySoon) {
  // Until something is due: the next connection attempt, the end of the flush, the keep-alive;
  // a message the library would not take yet is tried again shortly.
  Clock::time_point until = now + kMostIdle;
  if (!socketOpen_) until = std::min(until, std::max(nextAttempt_, now));
  {
    std::lock_guard lock(mutex_);
    if (stopping_) until = std::min(until, flushUntil_);
  }
  if (retrySoon) until = std::min(until, now + std::chrono::milliseconds{kLoopMs});
  ServiceSocket(std::chrono::duration_cast<std::chrono::milliseconds>(until - now));
}

void SamplePublisher::ServiceSocket(std::chrono::milliseconds wait) {
  const auto left = wait.count();
  const int socket = socketOpen_ ? mosquitto_socket(client_) : -1;
  pollfd fds[2] = {{wake_, POLLIN, 0}, {socket, POLLIN, 0}};
  if (socket >= 0 && mosquitto_want_write(client_)) fds[1].events |= POLLOUT;
  if (poll(fds, 2, static_cast<int>(std::max<std::int64_t>(left, 0))) < 0 && errno != EINTR) {
    std::this_thread::sleep_for(std::chrono::milliseconds{kLoopMs});
  }
  if ((fds[0].revents & POLLIN) != 0) {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(wake_, &count, sizeof count);
  }
  if (!socketOpen_) return;
  int code = MOSQ_ERR_SUCCESS;
  if ((fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0) code = mosquitto_loop_read(client_, 1);
  if (code == MOSQ_ERR_SUCCESS && (fds[1].revents & POLLOUT) != 0) {
    code = mosquitto_loop_write(client_, 1);
  }
  if (code == MOSQ_ERR_SUCCESS) code = mosquitto_loop_misc(client_);
  if (code != MOSQ_ERR_SUCCESS && socketOpen_) OnDisconnect();
}

void SamplePublisher::OnConnect(int code) {
  std::lock_guard lock(mutex_);
  if (code != 0) {
    lastError_ = mosquitto_connack_string(code);
    return;
  }
  state_ = BrokerState::Connected;
  backoff_ = kLeastBackoff;
  lastError_.clear();
  const std::string online = StatusMessage("online");
  mosquitto_publish(client_, nullptr, StatusTopic().c_str(), static_cast<int>(online.size()),
                    online.data(), 1, true);
}

void SamplePublisher::OnDisconnect() {
  socketOpen_ = false;
  std::lock_guard lock(mutex_);
  if (state_ == BrokerState::Connected) {
    ++counts_.connectionsLost;
    backoff_ = kLeastBackoff;
  } else {
    backoff_ = std::min(backoff_ * 2, kMostBackoff);
  }
  state_ = BrokerState::Reconnecting;
  if (lastError_.empty()) lastError_ = "connection lost";
  // Unacknowledged messages go out again, in their order, once connected.
  for (auto it = inflight_.rbegin(); it != inflight_.rend(); ++it) {
    queue_.push_front(std::move(it->payload));
  }
  inflight_.clear();
  nextAttempt_ = Clock::now() + backoff_;
}

void SamplePublisher::OnPublish(int mid) {
  if (mid == offlineMid_) offlineMid_ = 0;
  std::lock_guard lock(mutex_);
  const auto sent = std::find_if(inflight_.begin(), inflight_.end(),
                                 [mid](const Inflight& m) { return m.mid == mid; });
  if (sent == inflight_.end()) return;
  inflight_.erase(sent);
  ++counts_.published;
}

}  // namespace qvm
