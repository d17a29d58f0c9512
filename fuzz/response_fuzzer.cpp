// SPDX-License-Identifier: MIT
// Feeds arbitrary frames to the daisy-chain response decoder.
#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/device_command.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qvm::DeviceCommand command;
  qvm::DecodeDaisyResponse(command, std::span<const std::uint8_t>(data, size));
  return 0;
}
