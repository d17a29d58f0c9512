// SPDX-License-Identifier: MIT
#include "model/tab_definition_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace qvm {
namespace {

// A tab definition file is a few tens of kilobytes; anything far larger is not one.
constexpr std::uintmax_t kMaxTabDefFileBytes = 16u * 1024u * 1024u;

TabDefFileText Failure(TabDefFileText result, TabDefFileText::Status status, std::string message,
                       std::string logLine) {
  result.status = status;
  result.message = std::move(message);
  result.logLine = std::move(logLine);
  return result;
}

// The folder of the first candidate that holds `fileName`: the program's own folder, then the
// installed data folder as seen from the program (an installation that was moved or unpacked
// elsewhere), then where the installation put it. The program's folder when none does, so
// that the message names the place the file is looked for first.
std::string FolderHolding(const std::string& programFolder, const std::string& fileName) {
  const std::string candidates[] = {programFolder, programFolder + "/" + QVM_DATA_FROM_PROGRAM,
                                    QVM_INSTALLED_DATA_DIR};
  for (const std::string& folder : candidates) {
    std::error_code error;
    if (std::filesystem::exists(TabDefinitionPath(folder, fileName), error)) return folder;
  }
  return programFolder;
}

}  // namespace

std::string TabDefinitionPath(const std::string& programFolder, const std::string& fileName) {
  const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
  std::string folder = programFolder;
  while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  std::string name = fileName;
  for (char& c : name) {
    if (c == '\\' || c == '/') c = separator;
  }
  if (name.empty() || name.front() != separator) name.insert(name.begin(), separator);
  return folder + name;
}

TabDefFileText LoadTabDefinitionFile(const std::string& programFolder,
                                     const std::string& fileName) {
  TabDefFileText result;
  result.path = TabDefinitionPath(FolderHolding(programFolder, fileName), fileName);
  const std::filesystem::path path(result.path);

  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    return Failure(std::move(result), TabDefFileText::Status::Missing,
                   "Configuration file " + result.path + "   not found.",
                   "ParseTabsefsCreateTabs: Configuration file " + result.path + "  not found.");
  }
  const std::string unreadable = "Configuration file " + result.path + " could not be read.";
  const std::string unreadableLog = "ParseTabsefsCreateTabs: " + unreadable;
  const auto size = std::filesystem::file_size(path, error);
  if (error || !std::filesystem::is_regular_file(path, error)) {
    return Failure(std::move(result), TabDefFileText::Status::Unreadable, unreadable,
                   unreadableLog);
  }
  if (size > kMaxTabDefFileBytes) {
    const std::string tooLarge =
        "Configuration file " + result.path + " is too large to be a tab definition file.";
    return Failure(std::move(result), TabDefFileText::Status::Unreadable, tooLarge,
                   "ParseTabsefsCreateTabs: " + tooLarge);
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return Failure(std::move(result), TabDefFileText::Status::Unreadable, unreadable,
                   unreadableLog);
  }
  result.text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    result.text.clear();
    return Failure(std::move(result), TabDefFileText::Status::Unreadable, unreadable,
                   unreadableLog);
  }
  return result;
}

}  // namespace qvm
