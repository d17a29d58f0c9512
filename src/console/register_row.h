// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace qvm {

// Which controls of a register row show for the register's access code.
struct RowLayout {
  bool send = false;       // "Send" on grey instead of "Read" on light green
  bool writable = false;   // "Write" shown
  int bitsShown = 14;      // bits 0 .. bitsShown - 1 with their names
  bool valueShown = true;  // value box and up/down
  bool readable = false;   // the row makes its page readable (group read)
};

RowLayout RowLayoutFor(int kind);

// "cat 0x" + category digit + ", addr 0x" + two address digits, for a register index.
std::string RegAddrText(int index);

}  // namespace qvm
