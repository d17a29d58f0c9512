// SPDX-License-Identifier: MIT
#pragma once

namespace qvm::sim::regs {

// Register indexes (page × 64 + address) the simulated ICs give a meaning to.
inline constexpr int kVbat = 0x40;
inline constexpr int kCell1 = 0x41;  // cell n at kCell1 + n - 1
inline constexpr int kInternalTemp = 0x50;
inline constexpr int kExternal1 = 0x51;  // external input n at kExternal1 + n - 1
inline constexpr int kExternalInputs = 4;

inline constexpr int kOverVoltage = 0x80;   // bit i: cell i+1 above the threshold
inline constexpr int kUnderVoltage = 0x81;  // bit i: cell i+1 below the threshold
inline constexpr int kOpenWire = 0x82;      // bit i: cell input wire i open
inline constexpr int kFaultStatus = 0x84;
inline constexpr int kCellSetup = 0x85;          // bit i: cell i+1 switched off
inline constexpr int kTemperatureFaults = 0x86;  // bit 0: internal temperature above its limit
inline constexpr int kOverVoltageThreshold = 0x90;
inline constexpr int kUnderVoltageThreshold = 0x91;
inline constexpr int kBalanceSetup = 0x93;
inline constexpr int kBalanceSwitches = 0x94;
inline constexpr int kUser = 0x96;  // page 2 address 22, the presence-test register
inline constexpr int kInternalTempLimit = 0x9A;
inline constexpr int kSerialLow = 0x9B;   // page 2 address 27: serial bits 13..0
inline constexpr int kSerialHigh = 0x9C;  // page 2 address 28: serial bits 27..14

// Bits of the fault status register.
inline constexpr int kStatusOverVoltage = 1 << 4;
inline constexpr int kStatusUnderVoltage = 1 << 5;
inline constexpr int kStatusOpenWire = 1 << 6;
inline constexpr int kStatusOverTemp = 1 << 7;
inline constexpr int kInternalOverTemp = 1 << 0;  // in the temperature fault register

// Bit 9 of the balance setup register enables balancing.
inline constexpr int kBalanceEnableBit = 1 << 9;

// Page 3 holds the commands; a command's address is its code.
inline constexpr int kCommandPage = 3;
enum Command : int {
  kScanVolts = 1,
  kScanTemps = 2,
  kScanMixed = 3,
  kScanWires = 4,
  kScanAll = 5,
  kScanContinuous = 6,
  kScanInhibit = 7,
  kMeasure = 8,
  kIdentify = 9,
  kSleep = 10,
  kNak = 11,
  kAck = 12,
  kWake = 15,
  kBalanceEnable = 16,
  kBalanceInhibit = 17,
  kReset = 18,
  kClearFaults = 19,
};

// Identify numbers with a meaning of their own.
inline constexpr int kIdentifyBottom = 0;
inline constexpr int kIdentifyClose = 63;
// Bits 13..12 of an Identify echo.
inline constexpr int kEchoMiddle = 3;
inline constexpr int kEchoTop = 2;

// Device numbers 0 and 15 address every identified device of the chain.
inline constexpr int kBroadcast = 0;
inline constexpr int kBroadcastAlt = 15;

}  // namespace qvm::sim::regs
