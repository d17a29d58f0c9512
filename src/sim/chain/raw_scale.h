// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "sim/chain/chain_layout.h"

namespace qvm::sim {

// The scales by which the simulated ICs turn volts and degrees into raw register counts; they
// must agree with the scales the tab definition files give the same registers.
struct ChainScales {
  double cellVolts = 0.000610352;      // per count, cells and thresholds, signed 14-bit
  double vbatVolts = 0.0036621;        // per count, pack voltage
  double tempDegrees = 0.0217;         // per count, internal temperature
  int tint25 = 9217;                   // internal-temperature count at 25 °C
  double externalVolts = 0.000305176;  // per count, external inputs
};

// The scales of a family's tab definition file (the companion shares its primary's file).
ChainScales ScalesFor(PrimaryFamily family);

// Counts as 14-bit register values. Values outside the register's range are clamped.
std::uint16_t CellCounts(double volts, const ChainScales& scales);  // two's complement
std::uint16_t VbatCounts(double volts, const ChainScales& scales);
std::uint16_t InternalTempCounts(double degrees, const ChainScales& scales);
std::uint16_t ExternalCounts(double volts, const ChainScales& scales);

// A 14-bit two's-complement value as a signed number.
int SignedCounts(std::uint16_t raw);

}  // namespace qvm::sim
