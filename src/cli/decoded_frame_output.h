// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

#include "protocol/frame_log_decoder.h"

namespace qvm::cli {

// Prints what the decoder finds, as table rows or as one JSON object per line, and counts the
// faults found. Output is gathered and written in blocks.
class DecodedFrameOutput : public FrameLogSink {
 public:
  DecodedFrameOutput(std::ostream& out, bool json);
  ~DecodedFrameOutput() override;
  DecodedFrameOutput(const DecodedFrameOutput&) = delete;
  DecodedFrameOutput& operator=(const DecodedFrameOutput&) = delete;

  void Marker(const LogMarker& marker) override;
  void Frame(const DecodedFrame& frame) override;
  void Malformed(const MalformedLine& line) override;
  // Writes what is gathered.
  void Flush();

  std::size_t frames = 0;
  std::size_t malformed = 0;
  std::size_t badCrc = 0;
  // The first malformed line or bad CRC4, 0 when none.
  std::size_t firstFault = 0;

 private:
  void Fault(std::size_t line);
  void FrameJson(const DecodedFrame& frame);
  void FrameRow(const DecodedFrame& frame);
  void EndLine();

  std::ostream& out_;
  bool json_;
  std::string text_;
};

}  // namespace qvm::cli
