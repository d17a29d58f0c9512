// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace qvm::cli {

struct EncodeOptions {
  bool daisy = true;
  std::uint32_t dev = 0;
  std::uint32_t cat = 0;
  std::uint32_t adr = 0;
  std::uint32_t dat = 0;
};

// A frame as upper-case hexadecimal bytes separated by blanks, "29 43 FF F5".
std::string FrameText(const std::vector<std::uint8_t>& frame);

// Prints the encoded frame as upper-case hexadecimal bytes separated by blanks.
int RunEncode(const EncodeOptions& options, std::ostream& out);

}  // namespace qvm::cli
