// SPDX-License-Identifier: MIT
// Feeds arbitrary text to the frame log decoder, line by line, read as a daisy chain's log or a
// single device's (first byte): it must never crash, and what it reports must stay in range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/register_image.h"
#include "model/register_model.h"
#include "model/shared_state.h"
#include "model/tab_definition_check.h"
#include "protocol/frame_log_decoder.h"

namespace {

struct Model {
  Model() {
    const qvm::TabDefFileText file = qvm::LoadTabDefinitionFile(QVM_DATA_DIR, qvm::kTabDefs52400);
    if (!qvm::ParseTabDefinitionFile(file, model, image, state).ok) std::abort();
  }
  qvm::RegisterModel model;
  qvm::RegisterImage image;
  qvm::SharedState state;
};

// Aborts on anything out of range or out of order.
class CheckingSink final : public qvm::FrameLogSink {
 public:
  explicit CheckingSink(const qvm::FrameLogDecoder& decoder) : decoder_(decoder) {}

  void Marker(const qvm::LogMarker& marker) override { InOrder(marker.line); }
  void Frame(const qvm::DecodedFrame& frame) override {
    InOrder(frame.line);
    if (frame.requestLine >= frame.line) std::abort();
    if (frame.page < 0 || frame.page > 7 || frame.adr < 0 || frame.adr > 63) std::abort();
    if (frame.raw < 0 || frame.raw > 0x3FFF) std::abort();
    if (frame.dev && (*frame.dev < 0 || *frame.dev > 15)) std::abort();
    if (frame.devType != 0 && frame.devType != 1) std::abort();
  }
  void Malformed(const qvm::MalformedLine& line) override {
    InOrder(line.line);
    if (line.reason.empty()) std::abort();
  }

 private:
  void InOrder(std::size_t line) {
    if (line < last_ || line > decoder_.LineNumber()) std::abort();
    last_ = line;
  }
  const qvm::FrameLogDecoder& decoder_;
  std::size_t last_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Model loaded;
  if (size == 0) return 0;
  qvm::FrameLogDecoder decoder(loaded.model, loaded.state, (data[0] & 1) == 0);
  decoder.SetHoldRequests((data[0] & 2) == 0);
  CheckingSink sink(decoder);
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    decoder.Line(text.substr(0, end), sink);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  decoder.Finish(sink);
  return 0;
}
