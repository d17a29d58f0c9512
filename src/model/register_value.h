// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/register_model.h"
#include "model/shared_state.h"

namespace qvm {

// A register value in engineering units, as the console shows it.
struct RegisterValue {
  double value = 0;
  std::string_view unit;  // from the tab definition file; valid while the model is
  int decimals = 4;
};

// The value of register `address` of device type `devType` with raw content `raw`: the console's
// decoders for the voltages, temperatures and limits it knows by address, raw times the
// register's scale for any other register with a decoded-value label, nothing for a register
// without one.
std::optional<RegisterValue> DecodeRegisterValue(const RegisterModel& model,
                                                 const SharedState& state, int devType, int address,
                                                 std::int16_t raw);

}  // namespace qvm
