// SPDX-License-Identifier: MIT
#pragma once

#include "protocol/session.h"

namespace qvm {

// The register page's row buttons, on the view's selected tab and the selected device type.
// In single-device mode the selected device is forced to 1. A row without a register (index
// outside 0..511) does nothing.

// Reads the register on `row` (0..7); a command register of kind 3 or 4 carries the low six
// bits of its stored value.
void ReadRegisterRow(Session& session, int row);
// Writes the stored value of the register on `row`; refused unless the register is writable.
void WriteRegisterRow(Session& session, int row);
// Reads every shown row whose register is of kind 0 or 1, 3 ms apart.
void ReadRegisterGroup(Session& session);
// Writes every row that offers "Write", 3 ms apart.
void WriteRegisterGroup(Session& session);

}  // namespace qvm
