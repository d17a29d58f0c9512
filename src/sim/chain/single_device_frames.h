// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "sim/chain/simulated_device.h"

namespace qvm::sim {

// What a device in single-device mode clocks in for the bytes clocked out: as many bytes as
// went out. A 2-byte read frame (cat and address, 6 data bits) followed by fill bytes gets the
// register's 14-bit value in bytes 2 (bits 13..8, top two bits 0) and 3 (bits 7..0); a 3-byte
// write frame stores its value; page 3 frames run the command. Everything else is 0. With no
// device, or a sleeping one (which only hears Wake), the line idles high: every byte 0xFF.
std::vector<std::uint8_t> AnswerSingleFrame(SimulatedDevice* device,
                                            std::span<const std::uint8_t> bytes);

}  // namespace qvm::sim
