// SPDX-License-Identifier: MIT
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>

namespace qvm::cli {

// A whole number from `min` to `max`, written in decimal or with a 0x prefix in hexadecimal;
// the text is handed on in decimal, so an option of any integer type takes it.
CLI::Validator NumberIn(std::uint32_t min, std::uint32_t max);

// The simulated chain of --sim, e.g. daisy:52400x3+52401x2.
CLI::Validator ChainText();

// The fault list of --sim-faults, e.g. crc=0.02,nak@17.
CLI::Validator FaultListText();

}  // namespace qvm::cli
