// SPDX-License-Identifier: MIT
#include "core/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qvm {

LineReader::~LineReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool LineReader::Open(const std::string& path, std::string& problem) {
  path_ = path;
  // Not blocking: opening a pipe must not wait for a writer.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) {
    problem = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (::fstat(fd_, &info) != 0) {
    problem = "cannot read " + path + ": " + std::strerror(errno);
  } else if (!S_ISREG(info.st_mode)) {
    problem = path + " is not a plain file";
  } else {
    return true;
  }
  ::close(fd_);
  fd_ = -1;
  return false;
}

bool LineReader::Refill() {
  if (eof_ || fd_ < 0) return false;
  std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
  end_ -= begin_;
  begin_ = 0;
  for (;;) {
    const ssize_t n = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      problem_ = "cannot read " + path_ + ": " + std::strerror(errno);
      eof_ = true;
      return false;
    }
    if (n == 0) {
      eof_ = true;
      return false;
    }
    end_ += static_cast<std::size_t>(n);
    bytesRead_ += static_cast<std::size_t>(n);
    return true;
  }
}

bool LineReader::Next(std::string_view& line) {
  cut_ = false;
  std::size_t searched = begin_;
  for (;;) {
    const char* start = buffer_.data() + begin_;
    const auto* newline =
        static_cast<const char*>(std::memchr(buffer_.data() + searched, '\n', end_ - searched));
    if (newline != nullptr) {
      std::size_t length = static_cast<std::size_t>(newline - start);
      begin_ += length + 1;
      if (length > 0 && start[length - 1] == '\r') --length;
      line = std::string_view(start, std::min(length, kMaxLine));
      cut_ = length > kMaxLine;
      return true;
    }
    if (end_ - begin_ > kMaxLine) {
      // A line longer than the limit: keep its start, drop the rest up to its end.
      cut_ = true;
      // The kept start must survive the reads that skip the rest, so it moves to a spare copy.
      spare_.assign(start, kMaxLine);
      line = spare_;
      begin_ = end_;
      for (;;) {
        if (!Refill()) return true;
        const auto* end = static_cast<const char*>(std::memchr(buffer_.data(), '\n', end_));
        if (end != nullptr) {
          begin_ = static_cast<std::size_t>(end - buffer_.data()) + 1;
          return true;
        }
        begin_ = end_;
      }
    }
    searched = end_;
    const std::size_t offset = searched - begin_;
    if (!Refill()) {
      if (end_ == begin_) return false;
      // The last line has no line end.
      std::size_t length = end_ - begin_;
      if (buffer_[begin_ + length - 1] == '\r') --length;
      line = std::string_view(buffer_.data() + begin_, length);
      begin_ = end_;
      return true;
    }
    searched = begin_ + offset;
  }
}

}  // namespace qvm
