// SPDX-License-Identifier: MIT
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "records/local_file_system.h"
#include "records/local_time.h"

namespace qvm::test {

// A fresh folder below the system's temporary folder, removed again at the end.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvm-records-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

inline void WriteWholeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A clock of local date and time that moves only when told to.
class FixedLocalTime final : public LocalTimeSource {
 public:
  LocalTime Now() override { return now; }
  LocalTime now = MakeLocalTime(2026, 12, 7, 17, 1, 9);
};

// A file written by RecordFile that fails its writes once `writesLeft` reaches zero.
class FailingFile final : public RecordFile {
 public:
  FailingFile(std::unique_ptr<RecordFile> inner, int& writesLeft)
      : inner_(std::move(inner)), writesLeft_(writesLeft) {}
  std::optional<FileError> Write(const std::string& bytes) override {
    if (writesLeft_ >= 0 && writesLeft_-- == 0) {
      ++writesLeft_;
      return FileError{28, "No space left on device"};
    }
    return inner_->Write(bytes);
  }
  std::optional<FileError> Close() override { return inner_->Close(); }

 private:
  std::unique_ptr<RecordFile> inner_;
  int& writesLeft_;
};

// The real file system with its documents folder chosen by the test and, when asked, a disk that
// fills up after some writes.
class TestFileSystem final : public RecordFileSystem {
 public:
  bool FileExists(const std::string& path) override { return real.FileExists(path); }
  bool FolderExists(const std::string& path) override { return real.FolderExists(path); }
  bool IsRegularFile(const std::string& path) override { return real.IsRegularFile(path); }
  bool FileInUse(const std::string& path) override { return real.FileInUse(path); }
  std::optional<FileError> RemoveFile(const std::string& path) override {
    return real.RemoveFile(path);
  }
  std::unique_ptr<RecordFile> CreateFile(const std::string& path, FileError& error) override {
    auto file = real.CreateFile(path, error);
    if (!file) return file;
    return std::make_unique<FailingFile>(std::move(file), writesLeft);
  }
  std::optional<std::string> DocumentsFolder() override { return documents; }

  LocalFileSystem real;
  std::optional<std::string> documents;
  // Successful writes left before the disk is full; -1 never fills.
  int writesLeft = -1;
};

}  // namespace qvm::test
