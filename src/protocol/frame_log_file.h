// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "core/line_reader.h"
#include "model/register_image.h"
#include "protocol/frame_log_decoder.h"

namespace qvm {

// Loads the register names, kinds and scales a decoder needs for `family` ("38817" or the
// QVM52400 family) from the tab definition file in `folder`; false with the reason in `problem`.
bool LoadDecodingTables(const std::string& folder, const std::string& family, RegisterModel& model,
                        RegisterImage& image, SharedState& state, std::string& problem);

// Decodes the next line of `reader` into `sink` (a line longer than any frame is reported as
// malformed); false at the end of the file or after a read error.
bool DecodeNextLine(LineReader& reader, FrameLogDecoder& decoder, FrameLogSink& sink);

// Decodes the frame log at `path` line by line into `sink`, in constant memory; a line longer
// than any frame is reported as malformed. False, with the reason in `problem`, when the file
// cannot be opened or a read fails (what was decoded before the failure has been delivered).
bool DecodeFrameLogFile(const std::string& path, FrameLogDecoder& decoder, FrameLogSink& sink,
                        std::string& problem);

}  // namespace qvm
