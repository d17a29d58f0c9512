// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qvm {

struct PlainFileText {
  bool ok = false;
  std::string text;     // the whole file when ok
  std::string problem;  // why it was not read, for the user, naming the file
  int errorNumber = 0;  // the errno that tells why (EISDIR, EINVAL, EFBIG for the refusals)
};

// Reads a plain file of at most `maxBytes` whole. A folder, a device such as /dev/zero or a pipe
// is refused at once, never waited on, and so is a larger file ("<path> is too large to be a
// <what>").
PlainFileText ReadPlainFile(const std::string& path, std::uintmax_t maxBytes,
                            std::string_view what);

}  // namespace qvm
