// SPDX-License-Identifier: MIT
#include "protocol/frame_log_file.h"

#include "core/line_reader.h"

namespace qvm {

bool DecodeFrameLogFile(const std::string& path, FrameLogDecoder& decoder, FrameLogSink& sink,
                        std::string& problem) {
  LineReader reader;
  if (!reader.Open(path, problem)) return false;
  std::string_view line;
  while (reader.Next(line)) {
    if (reader.LineCut()) {
      decoder.BadLine("longer than " + std::to_string(LineReader::kMaxLine) + " characters", sink);
    } else {
      decoder.Line(line, sink);
    }
  }
  decoder.Finish(sink);
  if (!reader.Failed()) return true;
  problem = reader.Problem();
  return false;
}

}  // namespace qvm
