// SPDX-License-Identifier: MIT
#include "sim/chain/cell_model.h"

#include <algorithm>
#include <numeric>

namespace qvm::sim {

CellModel::CellModel(int cellCount, std::uint32_t seed) : random_(seed) {
  std::uniform_real_distribution<double> cell(3.6, 3.9);
  std::uniform_real_distribution<double> die(25.0, 30.0);
  std::uniform_real_distribution<double> input(0.8, 1.6);
  cells_.resize(static_cast<std::size_t>(std::max(cellCount, 0)));
  for (double& v : cells_) v = cell(random_);
  internalDegrees_ = die(random_);
  for (double& v : external_) v = input(random_);
}

double CellModel::CellVolts(int cell) const {
  if (cell < 1 || cell > CellCount()) return 0.0;
  return cells_[static_cast<std::size_t>(cell - 1)];
}

void CellModel::SetCellVolts(int cell, double volts) {
  if (cell < 1 || cell > CellCount()) return;
  cells_[static_cast<std::size_t>(cell - 1)] = volts;
}

double CellModel::PackVolts() const {
  return std::accumulate(cells_.begin(), cells_.end(), 0.0);
}

double CellModel::ExternalVolts(int input) const {
  if (input < 1 || input > kExternalInputs) return 0.0;
  return external_[static_cast<std::size_t>(input - 1)];
}

void CellModel::SetExternalVolts(int input, double volts) {
  if (input < 1 || input > kExternalInputs) return;
  external_[static_cast<std::size_t>(input - 1)] = volts;
}

double CellModel::MeasureCell(int cell) {
  return CellVolts(cell) + Noise(kNoiseVolts);
}

double CellModel::MeasurePack() {
  return PackVolts() + Noise(kNoiseVolts * CellCount());
}

double CellModel::MeasureInternalDegrees() {
  return internalDegrees_ + Noise(kNoiseDegrees);
}

double CellModel::MeasureExternal(int input) {
  return ExternalVolts(input) + Noise(kNoiseVolts);
}

void CellModel::Drain(std::uint16_t switches, double seconds, double voltsPerSecond) {
  for (int i = 0; i < CellCount(); ++i) {
    if ((switches & (1u << i)) == 0) continue;
    double& v = cells_[static_cast<std::size_t>(i)];
    v = std::max(0.0, v - voltsPerSecond * seconds);
  }
}

double CellModel::Noise(double amplitude) {
  std::uniform_real_distribution<double> noise(-amplitude, amplitude);
  return noise(random_);
}

}  // namespace qvm::sim
