// SPDX-License-Identifier: MIT
#pragma once

namespace qvm {

// The console's polling timer and its "Enable Polling" check box, as the polling guard sees
// them. The console implements it with its timer and check box; qvmctl and the tests with
// plain flags.
class PollingTimer {
 public:
  virtual ~PollingTimer() = default;

  // The timer runs its ticks.
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  // The user has ticked "Enable Polling".
  virtual bool PollingTicked() const = 0;
  virtual void UntickPolling() = 0;
};

// The timer and its check box as two plain flags: for programs that tick by themselves (qvmctl,
// the Python module) and runs without a window.
class FlagPollingTimer final : public PollingTimer {
 public:
  bool Enabled() const override { return enabled; }
  void SetEnabled(bool on) override { enabled = on; }
  bool PollingTicked() const override { return ticked; }
  void UntickPolling() override { ticked = false; }

  bool enabled = false;
  bool ticked = false;
};

}  // namespace qvm
