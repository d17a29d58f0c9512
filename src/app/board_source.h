// SPDX-License-Identifier: MIT
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "config/manual_configuration.h"
#include "core/clock.h"
#include "link/hid_device.h"
#include "sim/chain/simulated_evb.h"
#include "sim/simulated_source.h"

namespace qvm {

// The bus the program talks to: real boards through hidapi or the simulated board.
struct BoardSource {
  std::unique_ptr<HidBus> hidapi;
  std::optional<sim::SimulatedEvb> simulated;
  HidBus& bus() { return simulated ? *simulated->bus : *hidapi; }
};

// The configuration that matches a simulated chain text such as "daisy:52400x3".
std::optional<ManualConfigChoice> ChoiceForChain(const std::string& chainText, std::string& error);

// Builds the simulated board for `chainText` on `clock`.
std::optional<BoardSource> SimulatedSource(const std::string& chainText, Clock& clock,
                                           std::string& error);
// The same with faults and seed (--sim-faults, --sim-seed); `error` names the faulty option.
std::optional<BoardSource> SimulatedSource(const sim::SimulationOptions& options, Clock& clock,
                                           std::string& error);

// Real boards with `vendorId` on `bus`; when none is attached the user may retry, continue on
// the simulated board (`fallbackChain`) or cancel, which returns nothing. Without a user to ask
// (`interactive` false) it returns nothing at once and says why in `error`.
std::optional<BoardSource> HardwareSource(std::unique_ptr<HidBus> bus, std::uint16_t vendorId,
                                          Clock& clock, const std::string& fallbackChain,
                                          bool interactive, std::string& error);

}  // namespace qvm
