// SPDX-License-Identifier: MIT
#include "ui/log_lines.h"

#include <algorithm>

namespace qvm {

void LogLines::Append(std::string_view utf8) {
  if (utf8.empty()) return;
  if (endsInCr_ && utf8.front() == '\n') utf8.remove_prefix(1);
  endsInCr_ = false;
  while (!utf8.empty()) {
    const std::size_t lf = utf8.find('\n');
    const std::size_t end = std::min(lf, utf8.substr(0, lf).find('\r'));
    text_.append(utf8.substr(0, end));
    if (end == std::string_view::npos) break;
    starts_.push_back(text_.size());
    const bool crLf = end == lf - 1;
    endsInCr_ = utf8[end] == '\r' && end + 1 == utf8.size();
    utf8.remove_prefix(end + (crLf ? 2 : 1));
  }
  DropBeyondMax();
}

void LogLines::Clear() {
  text_.clear();
  starts_.assign(1, 0);
  first_ = 0;
  dropped_ = 0;
  endsInCr_ = false;
}

void LogLines::SetMaxLines(std::size_t maxLines) {
  maxLines_ = maxLines;
  DropBeyondMax();
}

std::string_view LogLines::Line(std::size_t index) const {
  const std::size_t at = first_ + index;
  const std::size_t end = at + 1 < starts_.size() ? starts_[at + 1] : text_.size();
  return std::string_view(text_).substr(starts_[at], end - starts_[at]);
}

std::string LogLines::Joined(std::size_t first, std::size_t last) const {
  std::string joined;
  for (std::size_t i = first; i <= last; ++i) {
    if (i != first) joined += '\n';
    joined += Line(i);
  }
  return joined;
}

void LogLines::DropBeyondMax() {
  if (maxLines_ == 0 || Count() <= maxLines_) return;
  const std::size_t drop = Count() - maxLines_;
  first_ += drop;
  dropped_ += drop;
  // Compacted once the dropped part outweighs the kept one, so each byte moves about once.
  if (first_ < starts_.size() / 2) return;
  const std::size_t offset = starts_[first_];
  text_.erase(0, offset);
  starts_.erase(starts_.begin(), starts_.begin() + static_cast<std::ptrdiff_t>(first_));
  for (std::size_t& start : starts_) start -= offset;
  first_ = 0;
}

}  // namespace qvm
