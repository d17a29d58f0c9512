// SPDX-License-Identifier: MIT
#pragma once
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "console/frm_publish_mqtt.h"
#include "mqtt/tick_publishing.h"
#include "protocol/acquisition.h"
#include "protocol/session.h"

class QLabel;

namespace qvm {

// The console's publishing of its polled samples ("Polling Options" > "Publish to MQTT..."):
// the choice remembered in the console's settings, the publisher while publishing, and the
// broker's state in a label of the Link frame. Publishing starts with polling and queues each
// tick's sample (the core's JSON form with the rig, the board and the chain); the network is
// left to the publisher's own thread, so nothing here waits on the broker while polling.
class ConsolePublishing : public QObject {
  Q_OBJECT
 public:
  // `label` shows the state; `settingsFile` as for ConsoleSettings.
  ConsolePublishing(QLabel& label, std::string settingsFile, QObject* parent = nullptr);
  ~ConsolePublishing() override;
  ConsolePublishing(const ConsolePublishing&) = delete;
  ConsolePublishing& operator=(const ConsolePublishing&) = delete;

  const PublishChoice& Choice() const { return choice_; }
  // A new choice (the dialog's OK): remembered, and taken at once while polling runs.
  void SetChoice(const PublishChoice& choice);

  // Polling started on the board named `board`: publishing starts when chosen. A publisher
  // already running goes on (its tick count starts again); a broker that does not answer is
  // shown in the label and tried again in the background.
  void PollingStarted(const Session& session, const std::string& board);
  void PollingStopped() { polling_ = false; }
  // One polling tick's sample, queued for the broker.
  void Tick(const Session& session, const Acquisition& read);
  // The console closes: what is queued goes out for a moment at most.
  void Shutdown();

  bool Publishing() const { return active_ != nullptr; }
  // The last message queued, as the broker gets it.
  const std::string& LastMessage() const { return lastMessage_; }
  // Copies the publisher's state into the label when its text changed.
  void RefreshLabel();

 private:
  // Starts a publisher with the chosen settings; a refused setting is shown instead.
  void Start();
  // Stops the running publisher in the background, sending what is queued for up to `flush`.
  void Retire(std::chrono::milliseconds flush);
  // Waits up to `limit` for the retired publishers to end (so that a new one with the same
  // client id does not meet them at the broker); what is left is kept until it ends.
  void AwaitRetired(std::chrono::milliseconds limit);
  void ShowText(const std::string& text);

  QLabel& label_;
  std::string settingsFile_;
  PublishChoice choice_;
  std::unique_ptr<TickPublishing> active_;
  std::vector<std::unique_ptr<TickPublishing>> retired_;
  QTimer refresh_;
  bool polling_ = false;
  int ticks_ = 0;
  std::int64_t startMs_ = 0;
  std::string board_;
  std::string chain_;
  // What the label says when no publisher runs: a refused setting, or how the last one ended.
  std::string idleText_;
  std::string lastMessage_;
};

}  // namespace qvm
