// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

#include "model/register_image.h"
#include "model/register_model.h"
#include "model/shared_state.h"
#include "model/value_format.h"

namespace qvm {

// Registers of device type 0 that the decoders know by address.
inline constexpr int kRegVbat = 0x40;
inline constexpr int kRegCell1 = 0x41;
inline constexpr int kRegInternalTemp = 0x50;
inline constexpr int kRegExternalTemp1 = 0x51;
inline constexpr int kRegOverVoltageLimit = 0x90;
inline constexpr int kRegUnderVoltageLimit = 0x91;
inline constexpr int kRegBalanceSetup = 0x93;
inline constexpr int kRegBalanceSwitches = 0x94;
inline constexpr int kRegBalanceTime = 0x95;
inline constexpr int kRegInternalTempLimit = 0x9A;

// Cell voltage: the 14-bit value read as two's complement, times the scale of register 0x41.
double DecodeCellVoltage(const RegisterModel& model, std::int16_t raw);
// Pack voltage: raw times the scale of register 0x40.
double DecodeVbatVoltage(const RegisterModel& model, std::int16_t raw);
// Internal temperature in degrees C: offset by Tint25, scaled as register 0x50, plus 25.
double DecodeInternalTemp(const RegisterModel& model, const SharedState& state, std::int16_t raw);
// External temperature input: raw times the scale of register 0x51.
double DecodeExternalTemp(const RegisterModel& model, std::int16_t raw);

// Limits as the main tab shows them, from the raw values of registers 0x90, 0x91 and 0x9A.
double DecodeOverVoltageLimit(const RegisterModel& model, std::int16_t raw);
double DecodeUnderVoltageLimit(const RegisterModel& model, std::int16_t raw);
double DecodeInternalTempLimit(const RegisterModel& model, const SharedState& state,
                               std::int16_t raw);

// Balance settings from the balance setup (0x93), switch (0x94) and time (0x95) registers.
inline int BalanceMode(std::int16_t setup) {
  return setup & 3;
}
inline int BalanceWait(std::int16_t setup) {
  return (setup & 0x1C) / 4;
}
inline int BalanceTimeout(std::int16_t time) {
  return (time & 0x3F80) / 128;
}
inline bool BalanceEnabled(std::int16_t setup) {
  return (setup & 0x200) != 0;
}
// Balance switch of cell `cell` + 1 (`cell` 0..11).
inline bool BalanceSwitch(std::int16_t switches, int cell) {
  return (switches & (1 << cell)) != 0;
}

struct BalanceFields {
  int mode = 0;
  int wait = 0;
  int timeout = 0;
  bool enabled = false;
  std::array<bool, 12> cellSwitch{};
};

// The balance settings of type-0 device `device` (0..15) in the register image.
BalanceFields DecodeBalanceFields(const RegisterImage& image, int device);

}  // namespace qvm
