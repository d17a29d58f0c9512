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
class LockedFile final : public RecordFile {
 public:
  explicit LockedFile(int fd) : fd_(fd) {}
  ~LockedFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;

  std::optional<FileError> Write(const std::string& bytes) override {
    if (fd_ < 0) return FileError{EBADF, std::strerror(EBADF)};
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        return LastError();
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
};

}  // namespace

bool LocalFileSystem::FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

bool LocalFileSystem::FolderExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool LocalFileSystem::FileInUse(const std::string& path) {
  if (!FileExists(path)) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return true;
  const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  ::close(fd);
  return locked;
}

std::optional<FileError> LocalFileSystem::RemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return LastError();
  return std::nullopt;
}

std::unique_ptr<RecordFile> LocalFileSystem::CreateFile(const std::string& path, FileError& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = LastError();
    return nullptr;
  }
  // Lock before emptying, so a file another writer holds is never truncated.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd, 0) != 0) {
    error = LastError();
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<LockedFile>(fd);
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
