#pragma once
#include <QCheckBox>
#include <QTimer>

#include "protocol/polling_timer.h"

namespace qvm {

// The console's polling timer and its "ENABLE POLLING" check box as the core sees them.
class TimerPolling : public PollingTimer {
 public:
  TimerPolling(QTimer& timer, QCheckBox& checkBox) : timer_(timer), checkBox_(checkBox) {}
  bool Enabled() const override { return timer_.isActive(); }
  void SetEnabled(bool enabled) override {
    if (enabled) {
      timer_.start();
    } else {
      timer_.stop();
    }
  }
  bool PollingTicked() const override { return checkBox_.isChecked(); }
  void UntickPolling() override { checkBox_.setChecked(false); }

 private:
  QTimer& timer_;
  QCheckBox& checkBox_;
};

}  // namespace qvm
