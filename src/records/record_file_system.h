// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace qvm {

// A failure of the file layer: its number and description as the warnings show them.
struct FileError {
  int number = 0;
  std::string description;
};

// A text file open for writing, held exclusively while open.
class RecordFile {
 public:
  virtual ~RecordFile() = default;
  // Writes `bytes` completely or reports why not.
  virtual std::optional<FileError> Write(const std::string& bytes) = 0;
  // Releases the file; reports a failure to finish writing it.
  virtual std::optional<FileError> Close() = 0;
};

// The file services the record channels use.
class RecordFileSystem {
 public:
  virtual ~RecordFileSystem() = default;
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  // True for an existing plain file; a device, a pipe or a folder is none, and is never removed.
  virtual bool IsRegularFile(const std::string& path) = 0;
  // False when the file does not exist; true when it exists and cannot be held exclusively.
  virtual bool FileInUse(const std::string& path) = 0;
  virtual std::optional<FileError> RemoveFile(const std::string& path) = 0;
  // Creates the file empty and holds it exclusively (a device or a pipe is opened for writing as
  // it is); nothing when that fails, with `error` set.
  virtual std::unique_ptr<RecordFile> CreateFile(const std::string& path, FileError& error) = 0;
  // The user's documents folder, created when missing; nothing when there is none.
  virtual std::optional<std::string> DocumentsFolder() = 0;
};

}  // namespace qvm
