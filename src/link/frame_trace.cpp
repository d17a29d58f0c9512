#include "link/frame_trace.h"

#include "core/hex.h"

namespace qvm {

std::string FrameTraceText(std::string_view label, std::span<const std::uint8_t> bytes) {
  std::string text(label);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    text += ' ';
    text += HexByte(bytes[i]);
    if ((i + 1) % 8 == 0 && i + 1 < bytes.size()) text += "\r\n     ";
  }
  text += "\r\n";
  return text;
}

std::string ReplaceLineBreaks(std::string_view text, std::string_view replacement) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      result += replacement;
      ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

}  // namespace qvm
