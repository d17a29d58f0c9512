// SPDX-License-Identifier: MIT
#include "records/local_time.h"

#include <ctime>

namespace qvm {

using namespace std::chrono;

LocalTime SystemLocalTime::Now() {
  const std::time_t now = system_clock::to_time_t(system_clock::now());
  std::tm fields{};
  localtime_r(&now, &fields);
  return MakeLocalTime(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour,
                       fields.tm_min, fields.tm_sec);
}

LocalTime MakeLocalTime(int year, int month, int day, int hour, int minute, int second) {
  const local_days date{std::chrono::year{year} / month / day};
  return date + hours{hour} + minutes{minute} + seconds{second};
}

std::string FormatLongTime(LocalTime time) {
  const local_days date = floor<days>(time);
  const hh_mm_ss clock{time - date};
  const int hour24 = static_cast<int>(clock.hours().count());
  const int hour12 = hour24 % 12 == 0 ? 12 : hour24 % 12;
  const auto twoDigits = [](long long value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
  };
  return std::to_string(hour12) + ":" + twoDigits(clock.minutes().count()) + ":" +
         twoDigits(clock.seconds().count()) + (hour24 < 12 ? " AM" : " PM");
}

std::string FormatGeneralDate(LocalTime time) {
  const year_month_day date{floor<days>(time)};
  return std::to_string(static_cast<unsigned>(date.month())) + "/" +
         std::to_string(static_cast<unsigned>(date.day())) + "/" +
         std::to_string(static_cast<int>(date.year())) + " " + FormatLongTime(time);
}

}  // namespace qvm
