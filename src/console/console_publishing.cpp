// SPDX-License-Identifier: MIT
#include "console/console_publishing.h"

#include <QLabel>
#include <QSettings>
#include <chrono>
#include <thread>

#include "records/sample_json.h"

namespace qvm {

namespace {

using std::chrono::milliseconds;

// The label follows the broker's state at least this often while a publisher runs.
constexpr int kRefreshMs = 500;
// What is queued goes out for this long at most once publishing is switched off.
constexpr milliseconds kFlush{5000};
// And for this long when the console closes.
constexpr milliseconds kCloseFlush{1000};
constexpr milliseconds kCloseWait{2000};
// A publisher with other settings waits this long at most for the one before to end.
constexpr milliseconds kReplaceWait{1000};

// The classes a console tick reads, in the order qvmctl names them.
std::vector<ReadAllClass> PolledReads(const SharedState& state) {
  std::vector<ReadAllClass> reads;
  if (state.PollReadVolts) reads.push_back(ReadAllClass::kVolts);
  if (state.PollReadTemps) reads.push_back(ReadAllClass::kTemps);
  if (state.PollReadFaults) reads.push_back(ReadAllClass::kFaults);
  if (state.PollReadSetups) reads.push_back(ReadAllClass::kSetups);
  return reads;
}

std::string EndedText(const PublisherCounts& counts) {
  if (counts.dropped == 0) return "MQTT: stopped";
  return "MQTT: stopped, " + std::to_string(counts.dropped) + " samples not delivered";
}

}  // namespace

ConsolePublishing::ConsolePublishing(QLabel& label, std::string settingsFile, QObject* parent)
    : QObject(parent), label_(label), settingsFile_(std::move(settingsFile)) {
  choice_ = LoadPublishChoice(*ConsoleSettings(settingsFile_));
  refresh_.setInterval(kRefreshMs);
  connect(&refresh_, &QTimer::timeout, this, &ConsolePublishing::RefreshLabel);
  label_.hide();
}

ConsolePublishing::~ConsolePublishing() {
  Shutdown();
}

void ConsolePublishing::SetChoice(const PublishChoice& choice) {
  const bool changed = !(choice == choice_);
  choice_ = choice;
  SavePublishChoice(*ConsoleSettings(settingsFile_), choice_);
  if (!changed) return;
  if (active_) Retire(choice_.on ? milliseconds{0} : kFlush);
  idleText_.clear();
  if (choice_.on && polling_) Start();
  RefreshLabel();
}

void ConsolePublishing::PollingStarted(const Session& session, const std::string& board) {
  polling_ = true;
  ticks_ = 0;
  startMs_ = session.clock.NowMs();
  const std::string chain = ChainText(session.state);
  // Messages name the board and the chain they came from.
  if (active_ && (board != board_ || chain != chain_)) Retire(milliseconds{0});
  board_ = board;
  chain_ = chain;
  if (choice_.on && !active_) Start();
  RefreshLabel();
}

void ConsolePublishing::Tick(const Session& session, const Acquisition& read) {
  if (!active_ || !polling_) return;
  ++ticks_;
  const std::vector<ReadAllClass> reads = PolledReads(session.state);
  const std::string json = TickJson({session, read, ticks_, session.clock.NowMs() - startMs_,
                                     std::chrono::system_clock::now(), reads});
  lastMessage_ = active_->Message(json);
  active_->Publish(json);
  RefreshLabel();
}

void ConsolePublishing::Start() {
  MqttOptionsProblem problem;
  std::optional<PublisherSettings> settings = MqttPublisherSettings(choice_.options, problem);
  if (!settings) {
    idleText_ = "MQTT: not publishing: " + problem.reason;
    RefreshLabel();
    return;
  }
  // The publishers before it give way at once: the new one takes over the rig's client id and
  // status topic.
  for (const std::unique_ptr<TickPublishing>& publishing : retired_) {
    publishing->RequestFinish(milliseconds{0});
  }
  AwaitRetired(kReplaceWait);
  active_ = std::make_unique<TickPublishing>(std::move(*settings), board_, chain_);
  // Not a moment's wait: the label tells how the connection goes.
  std::string reason;
  active_->Start(milliseconds{0}, reason);
  idleText_.clear();
  refresh_.start();
}

void ConsolePublishing::Retire(milliseconds flush) {
  if (!active_) return;
  active_->RequestFinish(flush);
  retired_.push_back(std::move(active_));
  refresh_.start();
}

void ConsolePublishing::AwaitRetired(milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  for (;;) {
    std::erase_if(retired_, [this](const std::unique_ptr<TickPublishing>& publishing) {
      if (!publishing->Finished()) return false;
      idleText_ = EndedText(publishing->Publisher().Counts());
      return true;
    });
    if (retired_.empty() || std::chrono::steady_clock::now() >= until) return;
    std::this_thread::sleep_for(milliseconds{10});
  }
}

void ConsolePublishing::Shutdown() {
  refresh_.stop();
  Retire(kCloseFlush);
  AwaitRetired(kCloseWait);
  // A publisher still caught in a connection attempt is left to the end of the process rather
  // than holding the window open.
  for (std::unique_ptr<TickPublishing>& publishing : retired_) {
    static_cast<void>(publishing.release());
  }
  retired_.clear();
}

void ConsolePublishing::RefreshLabel() {
  AwaitRetired(milliseconds{0});
  std::string text = idleText_;
  const TickPublishing* shown =
      active_ ? active_.get() : (retired_.empty() ? nullptr : retired_.back().get());
  if (shown != nullptr) {
    const SamplePublisher& publisher = shown->Publisher();
    text = PublishingStatusText(publisher.StateText(), publisher.Counts());
  }
  if (!active_ && retired_.empty()) refresh_.stop();
  ShowText(text);
}

void ConsolePublishing::ShowText(const std::string& text) {
  const QString shown = QString::fromStdString(text);
  if (label_.text() != shown) label_.setText(shown);
  if (label_.isHidden() != text.empty()) label_.setVisible(!text.empty());
}

}  // namespace qvm
