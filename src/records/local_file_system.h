#pragma once

#include "records/record_file_system.h"

namespace qvm {

// The real file system. A file counts as in use while another open file holds an exclusive
// advisory lock on it; every file this class creates carries such a lock until closed. The
// documents folder is $HOME/Documents (created when missing), else $HOME.
class LocalFileSystem final : public RecordFileSystem {
 public:
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  bool FileInUse(const std::string& path) override;
  std::optional<FileError> RemoveFile(const std::string& path) override;
  std::unique_ptr<RecordFile> CreateFile(const std::string& path, FileError& error) override;
  std::optional<std::string> DocumentsFolder() override;
};

}  // namespace qvm
