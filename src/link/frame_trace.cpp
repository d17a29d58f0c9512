// SPDX-License-Identifier: MIT
#include "link/frame_trace.h"

#include "core/hex.h"

namespace qvm {

void WriteFrameTrace(std::string& out, std::string_view label,
                     std::span<const std::uint8_t> bytes) {
  out.assign(label);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out += ' ';
    AppendHexDigits(out, bytes[i], 2);
    if ((i + 1) % 8 == 0 && i + 1 < bytes.size()) out += "\r\n     ";
  }
  out += "\r\n";
}

std::string FrameTraceText(std::string_view label, std::span<const std::uint8_t> bytes) {
  std::string text;
  WriteFrameTrace(text, label, bytes);
  return text;
}

void WriteReplacingLineBreaks(std::string& out, std::string_view text,
                              std::string_view replacement) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += replacement;
      ++i;
    } else {
      out += text[i];
    }
  }
}

std::string ReplaceLineBreaks(std::string_view text, std::string_view replacement) {
  std::string result;
  result.reserve(text.size());
  WriteReplacingLineBreaks(result, text, replacement);
  return result;
}

}  // namespace qvm
