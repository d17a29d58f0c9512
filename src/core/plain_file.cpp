// SPDX-License-Identifier: MIT
#include "core/plain_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace qvm {

PlainFileText ReadPlainFile(const std::string& path, std::uintmax_t maxBytes,
                            std::string_view what) {
  PlainFileText result;
  // Not blocking: opening a pipe must not wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  const auto fail = [&](int errorNumber, std::string problem) {
    result.errorNumber = errorNumber;
    result.problem = std::move(problem);
  };
  const auto failReading = [&] {
    const int errorNumber = errno;
    fail(errorNumber, "cannot read " + path + ": " + std::strerror(errorNumber));
  };
  if (fd < 0) {
    failReading();
    return result;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    failReading();
  } else if (!S_ISREG(info.st_mode)) {
    fail(S_ISDIR(info.st_mode) ? EISDIR : EINVAL, path + " is not a plain file");
  } else if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
    fail(EFBIG, path + " is too large to be a " + std::string(what));
  } else {
    result.text.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < result.text.size()) {
      const ssize_t n = ::read(fd, result.text.data() + done, result.text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        failReading();
        break;
      }
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    result.text.resize(done);
    result.ok = result.problem.empty();
  }
  ::close(fd);
  if (!result.ok) result.text.clear();
  return result;
}

}  // namespace qvm
