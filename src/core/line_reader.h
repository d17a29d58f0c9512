// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace qvm {

// Reads a plain file line by line through one fixed buffer, so a file of any size, or one
// without line ends, takes the same memory. Line ends are LF or CR LF.
class LineReader {
 public:
  // Longer lines come cut to this length, with `LineCut()` set.
  static constexpr std::size_t kMaxLine = 4096;

  LineReader() = default;
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Opens `path`; false with the reason, naming the file, in `problem`. A folder, a device or a
  // pipe is refused at once.
  bool Open(const std::string& path, std::string& problem);

  // The next line without its line end, valid until the next call; false at the end of the
  // file or after a read error (`Failed()`).
  bool Next(std::string_view& line);

  // The last line was longer than kMaxLine.
  bool LineCut() const { return cut_; }
  // A read failed; the reason, naming the file, is in `Problem()`.
  bool Failed() const { return !problem_.empty(); }
  const std::string& Problem() const { return problem_; }
  // Bytes taken from the file so far.
  std::size_t BytesRead() const { return bytesRead_; }

 private:
  // Moves what is left to the front and reads more; false when nothing more came.
  bool Refill();

  int fd_ = -1;
  std::string path_;
  std::string problem_;
  std::array<char, 1 << 16> buffer_{};
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::size_t bytesRead_ = 0;
  bool eof_ = false;
  bool cut_ = false;
  // The kept start of a cut line while the rest of it is skipped.
  std::string spare_;
};

}  // namespace qvm
