// SPDX-License-Identifier: MIT
#include "records/record_paths.h"

namespace qvm {

namespace {

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
  folder = TrimBlanks(folder);
  name = TrimBlanks(name);
  if (!folder.empty() && folder.back() == kPathSeparator) folder.remove_suffix(1);
  std::string path(folder);
  if (name.empty() || name.front() != kPathSeparator) path += kPathSeparator;
  path += name;
  return path;
}

std::string FolderOfPath(std::string_view path) {
  std::string folder = TrimAtNull(path);
  const auto last = folder.find_last_of(kPathSeparator);
  if (last == std::string::npos) return {};
  folder.resize(last == 0 ? 1 : last);
  return folder;
}

std::string WithDefaultExtension(const std::string& path, const char* extension) {
  const auto nameStart = path.find_last_of(kPathSeparator);
  const std::string name = nameStart == std::string::npos ? path : path.substr(nameStart + 1);
  if (name.find('.') != std::string::npos) return path;
  return path + "." + extension;
}

std::string TrimAtNull(std::string_view text) {
  return std::string(text.substr(0, text.find('\0')));
}

std::string NumberedFileName(std::string_view prefix, int number, std::string_view extension) {
  std::string digits = std::to_string(number);
  if (digits.size() < 2) digits.insert(0, 1, '0');
  return std::string(prefix) + digits + std::string(extension);
}

}  // namespace qvm
