// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace qvm::sim {

// The analog side of one simulated IC: its cells, its die temperature and its four external
// inputs. Values are true values; each measurement adds a little noise.
class CellModel {
 public:
  static constexpr double kNoiseVolts = 0.0005;  // ± on every cell measurement
  static constexpr double kNoiseDegrees = 0.1;   // ± on every temperature measurement
  static constexpr int kExternalInputs = 4;

  // Cells start between 3.6 and 3.9 V, the die between 25 and 30 °C; `seed` makes it repeatable.
  CellModel(int cellCount, std::uint32_t seed);

  int CellCount() const { return static_cast<int>(cells_.size()); }
  // Cells are numbered from 1; numbers outside 1..CellCount() read 0 and ignore writes.
  double CellVolts(int cell) const;
  void SetCellVolts(int cell, double volts);
  double PackVolts() const;  // the sum of the cells
  double InternalDegrees() const { return internalDegrees_; }
  void SetInternalDegrees(double degrees) { internalDegrees_ = degrees; }
  // External inputs are numbered from 1.
  double ExternalVolts(int input) const;
  void SetExternalVolts(int input, double volts);

  // Measurements: the true value plus noise.
  double MeasureCell(int cell);
  double MeasurePack();
  double MeasureInternalDegrees();
  double MeasureExternal(int input);

  // Balancing: every cell whose bit (cell n at bit n-1) is set in `switches` loses
  // `voltsPerSecond` for `seconds`, never below 0 V.
  void Drain(std::uint16_t switches, double seconds, double voltsPerSecond);

 private:
  double Noise(double amplitude);

  std::mt19937 random_;
  std::vector<double> cells_;
  double internalDegrees_ = 25.0;
  std::array<double, kExternalInputs> external_{};
};

}  // namespace qvm::sim
