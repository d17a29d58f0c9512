// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>

namespace qvm {

// Local wall-clock date and time to the second.
using LocalTime = std::chrono::local_seconds;

// Where the records read the current local date and time; tests give a fixed one.
class LocalTimeSource {
 public:
  virtual ~LocalTimeSource() = default;
  virtual LocalTime Now() = 0;
};

// The machine's local time.
class SystemLocalTime final : public LocalTimeSource {
 public:
  LocalTime Now() override;
};

// Builds a local time from its calendar fields; the fields are taken as given.
LocalTime MakeLocalTime(int year, int month, int day, int hour, int minute, int second);

// Long time: "5:01:09 PM" (hour without leading zero, 12-hour clock).
std::string FormatLongTime(LocalTime time);
// General date: short date, a blank and the long time, "12/7/2026 5:01:09 PM".
std::string FormatGeneralDate(LocalTime time);

}  // namespace qvm
