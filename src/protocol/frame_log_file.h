// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "protocol/frame_log_decoder.h"

namespace qvm {

// Decodes the frame log at `path` line by line into `sink`, in constant memory; a line longer
// than any frame is reported as malformed. False, with the reason in `problem`, when the file
// cannot be opened or a read fails (what was decoded before the failure has been delivered).
bool DecodeFrameLogFile(const std::string& path, FrameLogDecoder& decoder, FrameLogSink& sink,
                        std::string& problem);

}  // namespace qvm
