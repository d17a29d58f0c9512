// SPDX-License-Identifier: MIT
#include "console/register_row.h"

#include "core/hex.h"
#include "model/register_model.h"

namespace qvm {

RowLayout RowLayoutFor(int kind) {
  RowLayout layout;
  switch (kind) {
    case kKindReadOnly:
      layout.readable = true;
      break;
    case kKindReadWrite:
      layout.readable = true;
      layout.writable = true;
      break;
    case kKindCommand:
    case kKindBlockRead:
      layout.send = true;
      layout.bitsShown = 0;
      layout.valueShown = false;
      break;
    case kKindCommandWithData3:
    case kKindCommandWithData4:
      layout.send = true;
      layout.bitsShown = 6;
      break;
    default:
      break;
  }
  return layout;
}

std::string RegAddrText(int index) {
  return "cat " + Hex0x(static_cast<std::uint32_t>(index / 64), 1) + ", addr " +
         Hex0x(static_cast<std::uint32_t>(index % 64), 2);
}

}  // namespace qvm
