// SPDX-License-Identifier: MIT
#include "cli/poll_publishing.h"

namespace qvm::cli {

namespace {

constexpr std::chrono::seconds kFirstConnect{2};
constexpr std::chrono::seconds kFlush{5};

}  // namespace

bool PollPublishing::Prepare(const MqttOptions& options, std::string& error) {
  if (options.url.empty()) return true;
  MqttOptionsProblem problem;
  auto settings = MqttPublisherSettings(options, problem);
  if (!settings) {
    switch (problem.field) {
      case MqttOptionsProblem::Field::kUrl:
        error = "--mqtt " + problem.reason;
        break;
      case MqttOptionsProblem::Field::kQos:
        error = "--mqtt-qos: " + problem.reason;
        break;
      case MqttOptionsProblem::Field::kPasswordFile:
        error = "--mqtt-password-file " + problem.reason;
        break;
      case MqttOptionsProblem::Field::kCaFile:
        error = "--mqtt-ca " + problem.reason;
        break;
    }
    return false;
  }
  settings_ = std::make_unique<PublisherSettings>(std::move(*settings));
  url_ = options.url;
  return true;
}

void PollPublishing::Start(Session& session, HidBus& bus, const ConnectOptions& connect,
                           std::ostream& err) {
  if (!settings_) return;
  publishing_ = std::make_unique<TickPublishing>(
      *settings_, BoardName(bus, connect.vendorId, connect.board), ChainText(session.state));
  std::string reason;
  if (!publishing_->Start(kFirstConnect, reason)) {
    err << "qvmctl: warning: " << BrokerAbsentText(url_, reason) << '\n';
  }
}

void PollPublishing::Publish(const std::string& tickJson) {
  if (publishing_) publishing_->Publish(tickJson);
}

std::uint64_t PollPublishing::Finish(std::ostream& err) {
  if (!publishing_) return 0;
  const std::string state = publishing_->Publisher().StateText();
  const PublisherCounts counts = publishing_->Finish(kFlush);
  if (counts.dropped > 0) err << "qvmctl: " << UndeliveredText(counts.dropped, url_, state) << '\n';
  return counts.dropped;
}

}  // namespace qvm::cli
