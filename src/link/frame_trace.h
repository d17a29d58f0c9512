// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qvm {

// "Sent:"/"Rcvd:" trace of a frame: the label, then " XX" per byte, a line break and five
// blanks after every eighth byte when more follow, and a final line break.
std::string FrameTraceText(std::string_view label, std::span<const std::uint8_t> bytes);
// The same written over `out`, whose storage serves again: no allocation per frame.
void WriteFrameTrace(std::string& out, std::string_view label, std::span<const std::uint8_t> bytes);

// `text` with every CR LF replaced by `replacement`.
std::string ReplaceLineBreaks(std::string_view text, std::string_view replacement);
// The same written over `out`.
void WriteReplacingLineBreaks(std::string& out, std::string_view text,
                              std::string_view replacement);

}  // namespace qvm
