#pragma once

#include <cstdint>
#include <iosfwd>

namespace qvm::cli {

struct EncodeOptions {
  bool daisy = true;
  std::uint32_t dev = 0;
  std::uint32_t cat = 0;
  std::uint32_t adr = 0;
  std::uint32_t dat = 0;
};

// Prints the encoded frame as upper-case hexadecimal bytes separated by blanks.
int RunEncode(const EncodeOptions& options, std::ostream& out);

}  // namespace qvm::cli
