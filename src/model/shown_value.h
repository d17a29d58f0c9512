// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "model/register_image.h"

namespace qvm {

// How the register image knows a value that a window shows.
struct Freshness {
  // Read or written by the console; a window shows nothing for a value it does not know.
  bool known = false;
  // Known, and a read of it failed since: a window shows it greyed.
  bool stale = false;
  // The session clock's milliseconds at the read that brought the value; absent when the
  // console wrote the value and has not read it since.
  std::optional<std::int64_t> readAtMs;

  bool operator==(const Freshness&) const = default;
};

// A device number outside the image is not known.
Freshness FreshnessOf(const RegisterImage& image, int devType, int device, int address);

// A value computed from two others: known when both are, stale when either is, and as old as
// the older read.
Freshness Combined(const Freshness& a, const Freshness& b);

// One value as a window shows it; the text is empty when the value is not known.
struct ShownValue {
  std::string text;
  Freshness freshness;

  bool operator==(const ShownValue&) const = default;
};

// Turns the session clock's milliseconds into a local time of day.
using TimeOfDay = std::function<std::string(std::int64_t clockMs)>;

// The tooltip of a stale value: when it was last read and that the last read failed. Empty
// for a value that is not stale.
std::string StaleNote(const Freshness& freshness, const TimeOfDay& timeOfDay);

}  // namespace qvm
