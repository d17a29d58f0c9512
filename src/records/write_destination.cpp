// SPDX-License-Identifier: MIT
#include "records/write_destination.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "records/local_file_system.h"

namespace qvm {

std::optional<DestinationProblem> WriteDestinationProblem(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path file(path);
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  if (!fs::is_directory(folder, ec)) {
    return DestinationProblem{ENOENT, "the folder " + folder.string() + " does not exist"};
  }
  if (fs::is_directory(file, ec)) return DestinationProblem{EISDIR, "it is a folder"};
  if (const auto target = DanglingLinkTarget(path)) {
    return DestinationProblem{ENOENT,
                              "it is a symbolic link to " + *target + ", which does not exist"};
  }
  if (LocalFileSystem().FileInUse(path)) {
    return DestinationProblem{EBUSY, "it is open in another program"};
  }
  const std::string target = fs::exists(file, ec) ? path : folder.string();
  if (::access(target.c_str(), W_OK) != 0) {
    const int errorNumber = errno;
    return DestinationProblem{errorNumber, std::strerror(errorNumber)};
  }
  return std::nullopt;
}

}  // namespace qvm
