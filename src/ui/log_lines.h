// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvm {

// The lines of a log: their UTF-8 text back to back in one buffer, without line ends, and where
// each line starts. CR LF, LF and CR end a line; the last line stays open for more text, so an
// empty log is one empty line and a text that ends in a line end leaves an empty last line. With
// a maximum, the oldest lines are dropped beyond it.
class LogLines {
 public:
  // `maxLines` 0 keeps every line.
  explicit LogLines(std::size_t maxLines = 0) : maxLines_(maxLines) {}

  void Append(std::string_view utf8);
  // One empty line again; the buffers keep their capacity.
  void Clear();
  void SetMaxLines(std::size_t maxLines);

  // At least 1.
  std::size_t Count() const { return starts_.size() - first_; }
  bool Empty() const { return Count() == 1 && Line(0).empty(); }
  std::string_view Line(std::size_t index) const;
  // The lines `first`..`last` joined by LF.
  std::string Joined(std::size_t first, std::size_t last) const;
  // Lines dropped from the front beyond the maximum since the log was last cleared.
  std::uint64_t Dropped() const { return dropped_; }

 private:
  void DropBeyondMax();

  std::size_t maxLines_;
  std::string text_;
  // Start of each line in text_; the lines before first_ are dropped and wait to be compacted.
  std::vector<std::size_t> starts_{0};
  std::size_t first_ = 0;
  std::uint64_t dropped_ = 0;
  // The text so far ends in CR: an LF at the start of the next text belongs to it.
  bool endsInCr_ = false;
};

}  // namespace qvm
