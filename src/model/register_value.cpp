// SPDX-License-Identifier: MIT
#include "model/register_value.h"

#include "model/decoders.h"

namespace qvm {

namespace {

constexpr int kTemperatureDecimals = 1;

bool IsCell(int address) {
  return address >= kRegCell1 && address < kRegCell1 + 12;
}

bool IsExternalTemp(int address) {
  return address >= kRegExternalTemp1 && address < kRegExternalTemp1 + 4;
}

}  // namespace

std::optional<RegisterValue> DecodeRegisterValue(const RegisterModel& model,
                                                 const SharedState& state, int devType, int address,
                                                 std::int16_t raw) {
  if (address < 0 || address >= kRegisterCount) return std::nullopt;
  const RegisterTables& tables = model.type[static_cast<std::size_t>(devType != 0 ? 1 : 0)];
  const auto index = static_cast<std::size_t>(address);
  if (tables.RegDecodedLabel[index].empty()) return std::nullopt;
  RegisterValue result;
  result.unit = tables.RegDecodedUnits[index];
  if (IsCell(address)) {
    result.value = DecodeCellVoltage(model, raw);
  } else if (address == kRegVbat) {
    result.value = DecodeVbatVoltage(model, raw);
  } else if (IsExternalTemp(address)) {
    result.value = DecodeExternalTemp(model, raw);
  } else if (address == kRegInternalTemp || address == kRegInternalTempLimit) {
    result.value = (raw - state.Tint25) * tables.RegScale[index] + 25;
    result.decimals = kTemperatureDecimals;
  } else {
    result.value = raw * tables.RegScale[index];
  }
  return result;
}

}  // namespace qvm
