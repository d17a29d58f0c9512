// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/host.h"

namespace qvm {

// The bytes of a write data file: hexadecimal bytes ("5A", "0x5A" or "A") separated by blanks,
// tabs, commas or line ends; "#" starts a comment that runs to the end of its line. A token that
// is not a byte makes `error` name its line and leaves `bytes` empty.
struct WriteDataFile {
  std::vector<std::uint8_t> bytes;
  std::string error;
};

WriteDataFile ParseWriteDataText(std::string_view text);

// Reads and parses the file at `path`. Only a plain file of at most 64 KiB is read: a folder, an
// empty file, a device, a pipe or a larger file is an error naming the file, as is a file that
// cannot be read.
WriteDataFile ReadWriteDataFile(const std::string& path);

// Asks for the write data file of "Load Write Data from File"; nothing when none was chosen.
std::optional<std::string> AskWriteDataFile(Host& host);

}  // namespace qvm
