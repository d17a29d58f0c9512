#pragma once

#include <cstdint>

namespace qvm {

// Time as the core sees it. Every wait and time-out goes through a Clock so that tests and the
// simulated board can run on virtual time.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary, fixed origin; never decreases.
  virtual std::int64_t NowMs() = 0;
  virtual void SleepMs(std::int64_t ms) = 0;
};

// Wall time: steady clock and real sleeps.
class SystemClock final : public Clock {
 public:
  std::int64_t NowMs() override;
  void SleepMs(std::int64_t ms) override;
};

// Time that moves only when somebody sleeps: a 6000 ms time-out costs nothing.
class VirtualClock final : public Clock {
 public:
  std::int64_t NowMs() override { return now_; }
  void SleepMs(std::int64_t ms) override {
    if (ms > 0) now_ += ms;
  }

 private:
  std::int64_t now_ = 0;
};

}  // namespace qvm
