// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "protocol/frame_log_decoder.h"

namespace qvm {

std::string_view DirectionText(FrameDirection direction);
// "good", "bad" or "" for a frame without CRC4.
std::string_view Crc4Text(Crc4Check crc);
// "ACK", "NACK" or "".
std::string_view AcknowledgeText(Acknowledge ack);

// The register's value with its decimals and unit ("3.6493 V"), `decimalSeparator` between the
// whole and the fraction; empty without a value.
std::string ValueText(const DecodedFrame& frame, char decimalSeparator);
// The same appended to `out`.
void AppendValueText(std::string& out, const DecodedFrame& frame, char decimalSeparator);

// One line about a frame for a reader beside its bytes: command, type, device, register (its
// name, or page and address), raw data and value, and a bad CRC4, e.g.
// "read all QVM52400 dev 1 Read All Voltages" or "QVM52400 dev 1 Cell 12 Voltage 0x1769 3.6493 V".
std::string FrameSummary(const DecodedFrame& frame, char decimalSeparator);

}  // namespace qvm
