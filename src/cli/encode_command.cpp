// SPDX-License-Identifier: MIT
#include "cli/encode_command.h"

#include <ostream>

#include "core/hex.h"
#include "protocol/device_command.h"

namespace qvm::cli {

std::string FrameText(const std::vector<std::uint8_t>& frame) {
  std::string text;
  for (const std::uint8_t byte : frame) text += (text.empty() ? "" : " ") + HexByte(byte);
  return text;
}

int RunEncode(const EncodeOptions& options, std::ostream& out) {
  std::vector<std::uint8_t> frame;
  auto dat = static_cast<std::int16_t>(options.dat & 0x3FFF);
  const auto cat = static_cast<std::uint8_t>(options.cat);
  const auto adr = static_cast<std::uint8_t>(options.adr);
  if (options.daisy) {
    EncodeDaisyFrame(static_cast<std::uint8_t>(options.dev), cat, adr, dat, frame);
  } else {
    EncodeNonDaisyFrame(cat, adr, dat, frame);
  }
  out << FrameText(frame) << '\n';
  return 0;
}

}  // namespace qvm::cli
