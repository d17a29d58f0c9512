// SPDX-License-Identifier: MIT
#include "protocol/frame_log_file.h"

#include "model/tab_definition_check.h"
#include "model/tab_definition_file.h"

namespace qvm {

bool LoadDecodingTables(const std::string& folder, const std::string& family, RegisterModel& model,
                        RegisterImage& image, SharedState& state, std::string& problem) {
  state.TabDefsFileName = family == "38817" ? kTabDefs38817 : kTabDefs52400;
  const TabDefFileText file = LoadTabDefinitionFile(folder, state.TabDefsFileName);
  if (file.status != TabDefFileText::Status::Loaded) {
    problem = file.message;
    return false;
  }
  const TabDefParseResult parsed = ParseTabDefinitionFile(file, model, image, state);
  problem = parsed.ok ? std::string() : parsed.errorText;
  return parsed.ok;
}

bool DecodeNextLine(LineReader& reader, FrameLogDecoder& decoder, FrameLogSink& sink) {
  std::string_view line;
  if (!reader.Next(line)) return false;
  if (reader.LineCut()) {
    decoder.BadLine("longer than " + std::to_string(LineReader::kMaxLine) + " characters", sink);
  } else {
    decoder.Line(line, sink);
  }
  return true;
}

bool DecodeFrameLogFile(const std::string& path, FrameLogDecoder& decoder, FrameLogSink& sink,
                        std::string& problem) {
  LineReader reader;
  if (!reader.Open(path, problem)) return false;
  while (DecodeNextLine(reader, decoder, sink)) {
  }
  decoder.Finish(sink);
  if (!reader.Failed()) return true;
  problem = reader.Problem();
  return false;
}

}  // namespace qvm
