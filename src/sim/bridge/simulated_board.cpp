// SPDX-License-Identifier: MIT
#include "sim/bridge/simulated_board.h"

#include <algorithm>
#include <utility>

namespace qvm::sim {

namespace {

constexpr const char* kUnpluggedText = "simulated board unplugged";
constexpr const char* kWriteFailedText = "simulated board: write failed";
constexpr const char* kUnknownReportText = "simulated board: no such output report id";
// An input report id the board never answers under.
constexpr std::uint8_t kOtherReportId = 2;
constexpr std::uint8_t kSetupBlockCommand = 20;
constexpr std::uint8_t kReadSelector = 1;

// The last SPI packet reply before the first packet: a reply to sequence 1 that clocked in
// four bytes of an idle bus, whose data line is pulled high.
Report IdleBusPacketReply() {
  Report reply{};
  reply[0] = 1;
  reply[1] = kStatusOk;
  reply[2] = 1;
  reply[3] = 5;
  std::fill_n(reply.begin() + 5, 4, 0xFF);
  return reply;
}

bool IsSetupBlockRead(const Report& request) {
  return request[1] == kSetupBlockCommand && request[2] == kReadSelector;
}

}  // namespace

SimulatedBoard::SimulatedBoard(Clock& clock, std::string path, std::uint16_t vendorId,
                               std::uint16_t productId, SpiTarget* target)
    : clock_(clock),
      path_(std::move(path)),
      vendorId_(vendorId),
      productId_(productId),
      firmware_(clock, target),
      lastPacketReply_(IdleBusPacketReply()) {}

SimulatedBoard::SimulatedBoard(Clock& clock, std::string path, std::shared_ptr<SpiTarget> target)
    : SimulatedBoard(clock, std::move(path), kBridgeVendorId, kBridgeProductId, target.get()) {
  ownedTarget_ = std::move(target);
}

bool SimulatedBoard::Write(const Report& report) {
  const bool packet = SpiPort::IsPacketCommand(report[1]);
  if (packet && hook_) hook_->BeforeExchange(*this);
  const bool accepted = Accept(report);
  if (packet && hook_) hook_->AfterExchange(*this);
  return accepted;
}

bool SimulatedBoard::Accept(const Report& report) {
  if (!Plugged()) {
    lastError_ = kUnpluggedText;
    return false;
  }
  if (report[0] != 1) {
    // The board has only output report 1; the host refuses any other.
    lastError_ = kUnknownReportText;
    return false;
  }
  if (TakeFault(faults_.failWrites)) {
    lastError_ = kWriteFailedText;
    return false;
  }
  if (received_.size() >= kHistoryLimit) received_.pop_front();
  received_.push_back(report);
  if (firmwareHung_) return true;

  std::optional<Report> reply = firmware_.Handle(report);
  if (!reply || TakeFault(faults_.dropReplies)) return true;
  if (SpiPort::IsPacketCommand(report[1])) {
    KeepPacketReply(*reply);
    InjectPacketFaults(report, *reply);
  } else if (IsSetupBlockRead(report) && TakeFault(faults_.strayBeforeSetupRead)) {
    Queue(lastPacketReply_);
  }
  Queue(*reply);
  return true;
}

void SimulatedBoard::KeepPacketReply(const Report& reply) {
  // Only a good reply to a sequence number a host counts with (1..7) is one it waits for.
  if (reply[1] == kStatusOk && reply[2] >= 1 && reply[2] <= 7) lastPacketReply_ = reply;
}

void SimulatedBoard::InjectPacketFaults(const Report& request, Report& reply) {
  if (TakeFault(faults_.wrongReportId)) reply[0] = kOtherReportId;
  if (TakeFault(faults_.zeroSequence)) {
    reply[2] = 0;
  } else if (TakeFault(faults_.wrongSequence)) {
    // Another sequence number of the rolling 1..7 range.
    reply[2] = static_cast<std::uint8_t>(request[2] % 7 + 1);
  }
  if (faults_.shortReplyCount < reply[3] && TakeFault(faults_.shortReplies)) {
    reply[3] = faults_.shortReplyCount;
    std::fill(reply.begin() + 4 + reply[3], reply.end(), 0);
  }
}

void SimulatedBoard::Queue(const Report& reply) {
  // A reply never overtakes an earlier one, even when the latency shrinks.
  std::int64_t ready = clock_.NowMs() + std::max<std::int64_t>(faults_.replyLatencyMs, 0);
  if (!queue_.empty()) ready = std::max(ready, queue_.back().readyMs);
  if (queue_.size() >= kQueueLimit) queue_.pop_front();
  queue_.push_back({reply, ready});
}

ReadResult SimulatedBoard::Read(Report& report, int timeoutMs) {
  if (!Plugged()) {
    lastError_ = kUnpluggedText;
    return ReadResult::Error;
  }
  const std::int64_t now = clock_.NowMs();
  if (queue_.empty() || (timeoutMs >= 0 && queue_.front().readyMs > now + timeoutMs)) {
    clock_.SleepMs(std::max(timeoutMs, 0));
    return ReadResult::Timeout;
  }
  const PendingReply next = queue_.front();
  queue_.pop_front();
  if (next.readyMs > now) clock_.SleepMs(next.readyMs - now);
  report = next.report;
  return ReadResult::Report;
}

HidDeviceInfo SimulatedBoard::Info() const {
  HidDeviceInfo info;
  info.path = path_;
  info.vendorId = vendorId_;
  info.productId = productId_;
  info.product = "Simulated bridge board";
  info.manufacturer = "Velquist";
  info.serial = kSerial;
  return info;
}

void SimulatedBoard::Unplug() {
  plugged_ = false;
  queue_.clear();
  lastError_ = kUnpluggedText;
}

void SimulatedBoard::Replug() {
  replugAtMs_.reset();
  if (plugged_) return;
  plugged_ = true;
  ++generation_;
}

bool SimulatedBoard::Plugged() {
  if (!plugged_ && replugAtMs_ && clock_.NowMs() >= *replugAtMs_) Replug();
  return plugged_;
}

}  // namespace qvm::sim
