// SPDX-License-Identifier: MIT
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
  // The same in microseconds, for waits that part of their time went to other work; a clock
  // counting whole milliseconds rounds a wait up.
  virtual std::int64_t NowUs() { return NowMs() * 1000; }
  virtual void SleepUs(std::int64_t us) { SleepMs((us + 999) / 1000); }
};

// Wall time: steady clock and real sleeps.
class SystemClock final : public Clock {
 public:
  std::int64_t NowMs() override;
  void SleepMs(std::int64_t ms) override;
  std::int64_t NowUs() override;
  void SleepUs(std::int64_t us) override;
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
