#pragma once

#include <cstdint>
#include <string>

namespace qvm {

// A configuration file is a few tens of kilobytes; anything far larger is not one.
inline constexpr std::uintmax_t kMaxConfigFileBytes = 1024u * 1024u;

struct ConfigFileText {
  bool ok = false;
  std::string text;     // the whole file when ok
  std::string problem;  // why it was not read, for the user
};

// Reads a configuration file whole. Only a plain file of at most kMaxConfigFileBytes is read: a
// folder, a device such as /dev/zero or a pipe is refused at once, never waited on.
ConfigFileText ReadConfigFileText(const std::string& path);

}  // namespace qvm
