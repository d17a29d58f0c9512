// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace qvm {

// The decimal separator of the host's number formatting (the global C++ locale).
char HostDecimalSeparator();

// Fixed point with `decimals` decimals and at least one integer digit, no digit grouping, the
// given decimal separator. A value that rounds to zero shows without a minus sign.
std::string FormatFixed(double value, int decimals, char decimalSeparator);

// FormatFixed appended to `out`, the same characters, on an integer path for values of
// ordinary size (bulk exports format millions of them).
void AppendFixed(std::string& out, double value, int decimals, char decimalSeparator);

// "###0.0000": voltages, thresholds, external temperature inputs, decoded register values.
inline std::string FormatVoltage(double value, char decimalSeparator = HostDecimalSeparator()) {
  return FormatFixed(value, 4, decimalSeparator);
}

// "###0.0": internal temperatures.
inline std::string FormatTemperature(double value, char decimalSeparator = HostDecimalSeparator()) {
  return FormatFixed(value, 1, decimalSeparator);
}

}  // namespace qvm
