// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "records/record_file_system.h"

namespace qvm {

// Where `path` points when it is a symbolic link whose target does not exist; nothing otherwise.
std::optional<std::string> DanglingLinkTarget(const std::string& path);

// The real file system. A plain file counts as in use while any other open file refers to it
// (a write lease cannot be had), or, where leases are not allowed, while another open file holds
// an exclusive advisory lock on it; every file this class creates carries such a lock until
// closed. A new file is never created through a symbolic link whose target is missing. The
// documents folder is $HOME/Documents (created when missing), else $HOME.
class LocalFileSystem final : public RecordFileSystem {
 public:
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  bool IsRegularFile(const std::string& path) override;
  bool FileInUse(const std::string& path) override;
  std::optional<FileError> RemoveFile(const std::string& path) override;
  std::unique_ptr<RecordFile> CreateFile(const std::string& path, FileError& error) override;
  std::optional<std::string> DocumentsFolder() override;
};

}  // namespace qvm
