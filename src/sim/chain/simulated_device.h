// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

#include "sim/chain/cell_model.h"
#include "sim/chain/raw_scale.h"

namespace qvm::sim {

// One simulated battery-monitor IC: 512 registers of 14 bits, its analog side, and what its
// commands do. Addressing, identification and frames belong to the chain around it.
//
// Registers: page 1 holds the measurements (read-only, refreshed by scans); the fault registers
// 0x80, 0x81, 0x82, 0x84 and 0x86 latch, and a write keeps only the bits written as 1 (writing
// 0 clears them); the serial number 0x9B/0x9C is read-only; every other register outside page 3
// reads back what was written. Page 3 holds commands, not registers.
class SimulatedDevice {
 public:
  static constexpr int kRegisterCount = 512;
  static constexpr int kValueMask = 0x3FFF;
  static constexpr std::int64_t kContinuousScanPeriodMs = 100;
  static constexpr double kBalanceVoltsPerSecond = 0.0005;

  struct Setup {
    int cellCount = 12;
    std::uint32_t serial = 0;  // 28 bits
    std::uint32_t seed = 1;
    ChainScales scales;
  };

  // Thresholds start at 4.2 V and 3.0 V, the internal-temperature limit at 85 °C, every cell
  // in use.
  explicit SimulatedDevice(const Setup& setup);

  // Register access by index (page × 64 + address); out-of-range indexes read 0.
  std::uint16_t Read(int index) const;
  // Stores a value by the rules above; false when the register cannot be written.
  bool Write(int index, int value);
  // Sets a register as the chip itself would, bypassing the write rules (tests, fault set-up).
  void Poke(int index, int value);

  // Runs a page-3 command; false for a code this IC does not know. Identify and RESET belong to
  // the chain and are not known here.
  bool Execute(int command, int data);

  // Time passes: continuous scans run every kContinuousScanPeriodMs, enabled balancing drains
  // the switched cells. Nothing happens while the device sleeps.
  void Advance(std::int64_t elapsedMs);

  bool Asleep() const { return asleep_; }
  bool Scanning() const { return continuous_; }
  bool BalanceEnabled() const;
  // Device number given by the identify protocol; 0 while unnumbered.
  int Number() const { return number_; }
  void SetNumber(int number) { number_ = number; }

  // An open cell-input wire (0..12), found by the next wire scan.
  void SetOpenWire(int wire, bool open);
  // True once after a scan set a fault-status bit that was clear before: the device's
  // unprompted fault report.
  bool TakeFaultReport();

  CellModel& Cells() { return cells_; }

 private:
  // Cells and pack, then the voltage thresholds.
  void ScanVolts();
  // Die and external inputs, then the internal-temperature limit.
  void ScanTemps();
  void ScanWires();
  void CheckThresholds();
  void RaiseStatus(int bits);
  void ClearFaults();
  int CellMask() const;

  ChainScales scales_;
  CellModel cells_;
  std::array<std::uint16_t, kRegisterCount> registers_{};
  std::uint16_t openWires_ = 0;
  int number_ = 0;
  bool asleep_ = false;
  bool continuous_ = false;
  bool faultReport_ = false;
  std::int64_t sinceScanMs_ = 0;
};

}  // namespace qvm::sim
