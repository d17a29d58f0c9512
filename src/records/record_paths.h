// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace qvm {

inline constexpr char kPathSeparator = '/';

// `folder` and `name`, both trimmed of surrounding blanks, joined with exactly one separator:
// one trailing separator of the folder is dropped and a name that already begins with one is
// appended directly.
std::string JoinPath(std::string_view folder, std::string_view name);

// The path without its last component; "/" for a file in the root, empty for a bare name.
std::string FolderOfPath(std::string_view path);

// A save dialog's default extension, added when the file name of `path` has none.
std::string WithDefaultExtension(const std::string& path, const char* extension);

// The text up to, not including, its first NUL character.
std::string TrimAtNull(std::string_view text);

// prefix + `number` with at least two digits + extension: 1 gives "01", 123 gives "123".
std::string NumberedFileName(std::string_view prefix, int number, std::string_view extension);

}  // namespace qvm
