// SPDX-License-Identifier: MIT
#include "sim/chain/simulated_device.h"

#include "sim/chain/register_map.h"

namespace qvm::sim {

namespace {

bool IsLatchedFault(int index) {
  return index == regs::kOverVoltage || index == regs::kUnderVoltage || index == regs::kOpenWire ||
         index == regs::kFaultStatus;
}

bool IsReadOnly(int index) {
  const int page = index / 64;
  return page == 1 || page == regs::kCommandPage || index == regs::kSerialLow ||
         index == regs::kSerialHigh;
}

constexpr double kOverVoltageDefault = 4.2;
constexpr double kUnderVoltageDefault = 3.0;
constexpr double kInternalLimitDefault = 85.0;

}  // namespace

SimulatedDevice::SimulatedDevice(const Setup& setup)
    : scales_(setup.scales), cells_(setup.cellCount, setup.seed) {
  Poke(regs::kOverVoltageThreshold, CellCounts(kOverVoltageDefault, scales_));
  Poke(regs::kUnderVoltageThreshold, CellCounts(kUnderVoltageDefault, scales_));
  Poke(regs::kInternalTempLimit, InternalTempCounts(kInternalLimitDefault, scales_));
  Poke(regs::kSerialLow, static_cast<int>(setup.serial & kValueMask));
  Poke(regs::kSerialHigh, static_cast<int>((setup.serial >> 14) & kValueMask));
}

std::uint16_t SimulatedDevice::Read(int index) const {
  if (index < 0 || index >= kRegisterCount) return 0;
  return registers_[static_cast<std::size_t>(index)];
}

bool SimulatedDevice::Write(int index, int value) {
  if (index < 0 || index >= kRegisterCount || IsReadOnly(index)) return false;
  Poke(index, IsLatchedFault(index) ? Read(index) & value : value);
  return true;
}

void SimulatedDevice::Poke(int index, int value) {
  if (index < 0 || index >= kRegisterCount) return;
  registers_[static_cast<std::size_t>(index)] = static_cast<std::uint16_t>(value & kValueMask);
}

bool SimulatedDevice::Execute(int command, int data) {
  (void)data;
  switch (command) {
    case regs::kScanVolts:
      ScanVolts();
      return true;
    case regs::kScanTemps:
      ScanTemps();
      return true;
    case regs::kScanMixed:
      ScanVolts();
      ScanTemps();
      return true;
    case regs::kScanWires:
      ScanWires();
      return true;
    case regs::kScanAll:
    case regs::kMeasure:
      ScanVolts();
      ScanTemps();
      ScanWires();
      return true;
    case regs::kScanContinuous:
      continuous_ = true;
      sinceScanMs_ = 0;
      return true;
    case regs::kScanInhibit:
      continuous_ = false;
      return true;
    case regs::kSleep:
      asleep_ = true;
      return true;
    case regs::kWake:
      asleep_ = false;
      return true;
    case regs::kBalanceEnable:
      Poke(regs::kBalanceSetup, Read(regs::kBalanceSetup) | regs::kBalanceEnableBit);
      return true;
    case regs::kBalanceInhibit:
      Poke(regs::kBalanceSetup, Read(regs::kBalanceSetup) & ~regs::kBalanceEnableBit);
      return true;
    case regs::kClearFaults:
      ClearFaults();
      return true;
    default:
      return false;
  }
}

void SimulatedDevice::Advance(std::int64_t elapsedMs) {
  if (asleep_ || elapsedMs <= 0) return;
  if (BalanceEnabled()) {
    const auto switches = static_cast<std::uint16_t>(Read(regs::kBalanceSwitches) & CellMask());
    cells_.Drain(switches, static_cast<double>(elapsedMs) / 1000.0, kBalanceVoltsPerSecond);
  }
  if (!continuous_) return;
  sinceScanMs_ += elapsedMs;
  if (sinceScanMs_ < kContinuousScanPeriodMs) return;
  sinceScanMs_ %= kContinuousScanPeriodMs;
  Execute(regs::kScanAll, 0);
}

bool SimulatedDevice::BalanceEnabled() const {
  return (Read(regs::kBalanceSetup) & regs::kBalanceEnableBit) != 0;
}

void SimulatedDevice::SetOpenWire(int wire, bool open) {
  if (wire < 0 || wire > cells_.CellCount()) return;
  const auto bit = static_cast<std::uint16_t>(1u << wire);
  openWires_ = static_cast<std::uint16_t>(open ? openWires_ | bit : openWires_ & ~bit);
}

bool SimulatedDevice::TakeFaultReport() {
  const bool report = faultReport_;
  faultReport_ = false;
  return report;
}

void SimulatedDevice::ScanVolts() {
  for (int cell = 1; cell <= cells_.CellCount(); ++cell) {
    Poke(regs::kCell1 + cell - 1, CellCounts(cells_.MeasureCell(cell), scales_));
  }
  Poke(regs::kVbat, VbatCounts(cells_.MeasurePack(), scales_));
  CheckThresholds();
}

void SimulatedDevice::ScanTemps() {
  Poke(regs::kInternalTemp, InternalTempCounts(cells_.MeasureInternalDegrees(), scales_));
  for (int input = 1; input <= regs::kExternalInputs; ++input) {
    Poke(regs::kExternal1 + input - 1, ExternalCounts(cells_.MeasureExternal(input), scales_));
  }
  if (Read(regs::kInternalTemp) > Read(regs::kInternalTempLimit)) {
    Poke(regs::kTemperatureFaults, Read(regs::kTemperatureFaults) | regs::kInternalOverTemp);
    RaiseStatus(regs::kStatusOverTemp);
  }
}

void SimulatedDevice::ScanWires() {
  if (openWires_ == 0) return;
  Poke(regs::kOpenWire, Read(regs::kOpenWire) | openWires_);
  RaiseStatus(regs::kStatusOpenWire);
}

// Compares every cell in use with the thresholds, all as signed counts; bits only ever get set.
void SimulatedDevice::CheckThresholds() {
  const int over = SignedCounts(Read(regs::kOverVoltageThreshold));
  const int under = SignedCounts(Read(regs::kUnderVoltageThreshold));
  const int inUse = ~Read(regs::kCellSetup) & CellMask();
  int overBits = 0;
  int underBits = 0;
  for (int i = 0; i < cells_.CellCount(); ++i) {
    if ((inUse & (1 << i)) == 0) continue;
    const int counts = SignedCounts(Read(regs::kCell1 + i));
    if (counts > over) overBits |= 1 << i;
    if (counts < under) underBits |= 1 << i;
  }
  Poke(regs::kOverVoltage, Read(regs::kOverVoltage) | overBits);
  Poke(regs::kUnderVoltage, Read(regs::kUnderVoltage) | underBits);
  if (overBits != 0) RaiseStatus(regs::kStatusOverVoltage);
  if (underBits != 0) RaiseStatus(regs::kStatusUnderVoltage);
}

void SimulatedDevice::RaiseStatus(int bits) {
  const int before = Read(regs::kFaultStatus);
  if ((before | bits) == before) return;
  Poke(regs::kFaultStatus, before | bits);
  faultReport_ = true;
}

void SimulatedDevice::ClearFaults() {
  for (int index : {regs::kOverVoltage, regs::kUnderVoltage, regs::kOpenWire,
                    regs::kTemperatureFaults, regs::kFaultStatus}) {
    Poke(index, 0);
  }
}

int SimulatedDevice::CellMask() const {
  return (1 << cells_.CellCount()) - 1;
}

}  // namespace qvm::sim
