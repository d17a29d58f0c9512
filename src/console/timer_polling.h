// SPDX-License-Identifier: MIT
#pragma once
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

#include "protocol/polling_timer.h"

namespace qvm {

// The console's polling timer and its "ENABLE POLLING" check box as the core sees them. The
// interval is a period: the next tick starts one interval after the last one started, or at
// once when that tick outlasted it.
class TimerPolling : public PollingTimer {
 public:
  TimerPolling(QTimer& timer, QCheckBox& checkBox) : timer_(timer), checkBox_(checkBox) {
    // A coarse timer may fire 5 % late.
    timer_.setTimerType(Qt::PreciseTimer);
  }
  bool Enabled() const override { return timer_.isActive(); }
  void SetEnabled(bool enabled) override {
    if (enabled) {
      timer_.start(intervalMs_);
    } else {
      timer_.stop();
    }
  }
  bool PollingTicked() const override { return checkBox_.isChecked(); }
  void UntickPolling() override { checkBox_.setChecked(false); }

  void SetInterval(int intervalMs) {
    intervalMs_ = intervalMs;
    timer_.setInterval(intervalMs);
  }
  int Interval() const { return intervalMs_; }

  // Around each tick. The accesses of a tick pause and resume the timer, which restarts it;
  // the end of the tick sets it to the start of the next period.
  void TickStarted() {
    tickClock_.start();
    if (timer_.isActive()) timer_.start(intervalMs_);
  }
  void TickEnded() {
    if (!timer_.isActive()) return;
    const qint64 left = intervalMs_ - tickClock_.elapsed();
    timer_.start(static_cast<int>(std::max<qint64>(0, left)));
  }

 private:
  QTimer& timer_;
  QCheckBox& checkBox_;
  int intervalMs_ = 0;
  QElapsedTimer tickClock_;
};

}  // namespace qvm
