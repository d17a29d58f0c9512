// SPDX-License-Identifier: MIT
#include "model/decoders.h"

namespace qvm {

double DecodeCellVoltage(const RegisterModel& model, std::int16_t raw) {
  const int value = raw < 0x2000 ? raw : raw - 0x4000;
  return value * model.RegScale(0, kRegCell1);
}

double DecodeVbatVoltage(const RegisterModel& model, std::int16_t raw) {
  return raw * model.RegScale(0, kRegVbat);
}

double DecodeInternalTemp(const RegisterModel& model, const SharedState& state, std::int16_t raw) {
  return (raw - state.Tint25) * model.RegScale(0, kRegInternalTemp) + 25;
}

double DecodeExternalTemp(const RegisterModel& model, std::int16_t raw) {
  return raw * model.RegScale(0, kRegExternalTemp1);
}

double DecodeOverVoltageLimit(const RegisterModel& model, std::int16_t raw) {
  return raw * model.RegScale(0, kRegOverVoltageLimit);
}

double DecodeUnderVoltageLimit(const RegisterModel& model, std::int16_t raw) {
  return raw * model.RegScale(0, kRegUnderVoltageLimit);
}

double DecodeInternalTempLimit(const RegisterModel& model, const SharedState& state,
                               std::int16_t raw) {
  return (raw - state.Tint25) * model.RegScale(0, kRegInternalTempLimit) + 25;
}

BalanceFields DecodeBalanceFields(const RegisterImage& image, int device) {
  const std::int16_t setup = image.at(0, device, kRegBalanceSetup);
  const std::int16_t switches = image.at(0, device, kRegBalanceSwitches);
  BalanceFields fields;
  fields.mode = BalanceMode(setup);
  fields.wait = BalanceWait(setup);
  fields.timeout = BalanceTimeout(image.at(0, device, kRegBalanceTime));
  fields.enabled = BalanceEnabled(setup);
  for (int cell = 0; cell < static_cast<int>(fields.cellSwitch.size()); ++cell) {
    fields.cellSwitch[static_cast<std::size_t>(cell)] = BalanceSwitch(switches, cell);
  }
  return fields;
}

}  // namespace qvm
