// SPDX-License-Identifier: MIT
#include "model/shown_value.h"

#include <algorithm>

namespace qvm {

Freshness FreshnessOf(const RegisterImage& image, int devType, int device, int address) {
  if (device < 0 || device >= kDevicesPerType || !image.Known(devType, device, address)) {
    return {};
  }
  Freshness freshness;
  freshness.known = true;
  freshness.stale = image.Stale(devType, device, address);
  if (image.ReadIn(devType, device, address) != 0) {
    freshness.readAtMs = image.ReadAtMs(devType, device, address);
  }
  return freshness;
}

Freshness Combined(const Freshness& a, const Freshness& b) {
  Freshness combined;
  combined.known = a.known && b.known;
  combined.stale = combined.known && (a.stale || b.stale);
  if (a.readAtMs && b.readAtMs) combined.readAtMs = std::min(*a.readAtMs, *b.readAtMs);
  return combined;
}

std::string StaleNote(const Freshness& freshness, const TimeOfDay& timeOfDay) {
  if (!freshness.stale) return {};
  const std::string failed = "; the last read failed";
  if (!freshness.readAtMs) return "Not read since the console wrote it" + failed;
  return "Last read " + timeOfDay(*freshness.readAtMs) + failed;
}

}  // namespace qvm
