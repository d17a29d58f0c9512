// SPDX-License-Identifier: MIT
#include "records/local_file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "records/record_paths.h"

namespace qvm {

namespace {

FileError LastError() {
  const int number = errno;
  return {number, std::strerror(number)};
}

// A file descriptor with an exclusive lock; unbuffered, so each write reports its own failure.
// A write that fails half-way on a plain file is taken back, so the file never ends mid-line.
class LockedFile final : public RecordFile {
 public:
  LockedFile(int fd, bool regular) : fd_(fd), regular_(regular) {}
  ~LockedFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;

  std::optional<FileError> Write(const std::string& bytes) override {
    if (fd_ < 0) return FileError{EBADF, std::strerror(EBADF)};
    const off_t start = regular_ ? ::lseek(fd_, 0, SEEK_CUR) : -1;
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        const FileError error = LastError();
        if (start >= 0 && done > 0 && ::ftruncate(fd_, start) == 0) ::lseek(fd_, start, SEEK_SET);
        return error;
      }
      done += static_cast<std::size_t>(n);
    }
    return std::nullopt;
  }

  std::optional<FileError> Close() override {
    if (fd_ < 0) return std::nullopt;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return LastError();
    return std::nullopt;
  }

 private:
  int fd_;
  bool regular_;
};

// Opens `path` for writing without blocking: an existing file as it is, else a new file, made
// only where nothing is, so that a symbolic link to a missing target never creates the target.
// -1 with `error` set when that fails.
int OpenForWriting(const std::string& path, FileError& error) {
  constexpr int kFlags = O_WRONLY | O_CLOEXEC | O_NONBLOCK;
  int fd = ::open(path.c_str(), kFlags);
  if (fd < 0 && errno == ENOENT) {
    fd = ::open(path.c_str(), kFlags | O_CREAT | O_EXCL, 0666);
    if (fd < 0 && errno == EEXIST) {
      if (const auto target = DanglingLinkTarget(path)) {
        error = {ENOENT, path + " is a symbolic link to " + *target +
                             ", which does not exist; nothing was created there"};
        return -1;
      }
      // Made by someone else in between: open it as it is now.
      fd = ::open(path.c_str(), kFlags);
    }
  }
  if (fd < 0) error = LastError();
  return fd;
}

}  // namespace

std::optional<std::string> DanglingLinkTarget(const std::string& path) {
  std::error_code ec;
  const std::filesystem::file_status link = std::filesystem::symlink_status(path, ec);
  if (ec || !std::filesystem::is_symlink(link) || std::filesystem::exists(path, ec) || ec) {
    return std::nullopt;
  }
  const std::filesystem::path target = std::filesystem::read_symlink(path, ec);
  return ec ? std::string("a missing file") : target.string();
}

bool LocalFileSystem::FileExists(const std::string& path) {
  // A symbolic link counts even when its target is missing: its name is taken.
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

bool LocalFileSystem::FolderExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool LocalFileSystem::IsRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool LocalFileSystem::FileInUse(const std::string& path) {
  // Devices and pipes are meant to be shared; only a plain file can be held by someone else.
  if (!IsRegularFile(path)) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return true;
  bool inUse = false;
  // A write lease is granted only while no other open file refers to the file.
  if (::fcntl(fd, F_SETLEASE, F_WRLCK) == 0) {
    ::fcntl(fd, F_SETLEASE, F_UNLCK);
  } else if (errno == EAGAIN || errno == EBUSY) {
    inUse = true;
  } else {
    // Leases are not allowed here (another owner, a file system without them): the lock decides.
    inUse = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  }
  ::close(fd);
  return inUse;
}

std::optional<FileError> LocalFileSystem::RemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return LastError();
  return std::nullopt;
}

std::unique_ptr<RecordFile> LocalFileSystem::CreateFile(const std::string& path, FileError& error) {
  // Not blocking: a pipe without a reader fails at once instead of waiting for one.
  const int fd = OpenForWriting(path, error);
  if (fd < 0) return nullptr;
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  // Lock before emptying, so a file another writer holds is never truncated. A file that is
  // already empty is left alone: some file systems flush a truncated file to the disk when it is
  // closed, which stalls the close of a large one.
  if ((regular && (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &info) != 0 ||
                   (info.st_size != 0 && ::ftruncate(fd, 0) != 0))) ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    error = LastError();
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<LockedFile>(fd, regular);
}

std::optional<std::string> LocalFileSystem::DocumentsFolder() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || !FolderExists(home)) return std::nullopt;
  const std::string documents = JoinPath(home, "Documents");
  std::error_code ec;
  std::filesystem::create_directories(documents, ec);
  return FolderExists(documents) ? documents : std::string(home);
}

}  // namespace qvm
