// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace qvm {

struct TabDefFileText {
  enum class Status { Loaded, Missing, Unreadable };
  Status status = Status::Loaded;
  // Program folder followed by the file name, with the platform's separator.
  std::string path;
  // The whole file when loaded.
  std::string text;
  // For the user when the file could not be loaded.
  std::string message;
  // For the activity log when the file could not be loaded.
  std::string logLine;
};

// Path of the tab definition file: `programFolder` followed by `fileName`, whose backslashes
// (the stored name starts with one) become the platform's separator.
std::string TabDefinitionPath(const std::string& programFolder, const std::string& fileName);

// Reads the tab definition file named `fileName` whole, from `programFolder` or, when it is not
// there, from the installed data folder. A missing file yields the "not found" message and log
// line naming `programFolder`; the caller decides how to end.
TabDefFileText LoadTabDefinitionFile(const std::string& programFolder, const std::string& fileName);

}  // namespace qvm
