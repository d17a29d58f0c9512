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

}  // namespace qvm
