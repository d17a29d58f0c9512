// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "core/plain_file.h"

namespace qvm {

// A configuration file is a few tens of kilobytes; anything far larger is not one.
inline constexpr std::uintmax_t kMaxConfigFileBytes = 1024u * 1024u;

using ConfigFileText = PlainFileText;

// Reads a configuration file whole. Only a plain file of at most kMaxConfigFileBytes is read: a
// folder, a device such as /dev/zero or a pipe is refused at once, never waited on.
inline ConfigFileText ReadConfigFileText(const std::string& path) {
  return ReadPlainFile(path, kMaxConfigFileBytes, "configuration file");
}

}  // namespace qvm
