// SPDX-License-Identifier: MIT
#include "sim/chain/raw_scale.h"

#include <algorithm>
#include <cmath>

namespace qvm::sim {

namespace {

constexpr int kMask = 0x3FFF;

std::uint16_t Unsigned(double counts) {
  const long rounded = std::lround(std::clamp(counts, 0.0, static_cast<double>(kMask)));
  return static_cast<std::uint16_t>(rounded);
}

}  // namespace

ChainScales ScalesFor(PrimaryFamily family) {
  if (family == PrimaryFamily::k52400) return ChainScales{};
  ChainScales scales;
  scales.cellVolts = 0.000549316;
  scales.vbatVolts = 0.0030518;
  scales.tempDegrees = 0.0198;
  scales.tint25 = 9150;
  return scales;
}

std::uint16_t CellCounts(double volts, const ChainScales& scales) {
  const long rounded = std::lround(std::clamp(volts / scales.cellVolts, -8192.0, 8191.0));
  return static_cast<std::uint16_t>(rounded & kMask);
}

std::uint16_t VbatCounts(double volts, const ChainScales& scales) {
  return Unsigned(volts / scales.vbatVolts);
}

std::uint16_t InternalTempCounts(double degrees, const ChainScales& scales) {
  return Unsigned(scales.tint25 + (degrees - 25.0) / scales.tempDegrees);
}

std::uint16_t ExternalCounts(double volts, const ChainScales& scales) {
  return Unsigned(volts / scales.externalVolts);
}

int SignedCounts(std::uint16_t raw) {
  const int value = raw & kMask;
  return value < 0x2000 ? value : value - 0x4000;
}

}  // namespace qvm::sim
