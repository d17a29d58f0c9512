// SPDX-License-Identifier: MIT
#include "cli/decoded_frame_output.h"

#include <charconv>
#include <ostream>

#include "core/hex.h"
#include "core/json_text.h"
#include "model/value_format.h"
#include "protocol/decoded_frame_text.h"

namespace qvm::cli {

namespace {

constexpr std::size_t kBlock = 1 << 16;

void AppendNumber(std::string& out, std::size_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

void AppendHex(std::string& out, std::uint32_t value, int width) {
  out += "0x";
  AppendHexDigits(out, value, width);
}

// Pads what was appended to `out` since `start` with blanks to `width`, then one blank.
void EndColumn(std::string& out, std::size_t start, std::size_t width) {
  const std::size_t used = out.size() - start;
  out.append(used < width ? width - used + 1 : 1, ' ');
}

void Column(std::string& out, std::string_view text, std::size_t width) {
  const std::size_t start = out.size();
  out += text;
  EndColumn(out, start, width);
}

// ,"name": and a JSON string, or null when `text` is empty.
void StringField(std::string& out, std::string_view name, std::string_view text) {
  out += ",\"";
  out += name;
  out += "\":";
  if (text.empty()) {
    out += "null";
  } else {
    AppendJsonString(out, text);
  }
}

void NumberField(std::string& out, std::string_view name, std::size_t value) {
  out += ",\"";
  out += name;
  out += "\":";
  AppendNumber(out, value);
}

void Start(std::string& out, std::size_t line, std::string_view kind) {
  out += "{\"line\":";
  AppendNumber(out, line);
  StringField(out, "kind", kind);
}

}  // namespace

DecodedFrameOutput::DecodedFrameOutput(std::ostream& out, bool json) : out_(out), json_(json) {
  if (!json_) {
    text_ =
        "LINE    DIR  TYPE      DEV COMMAND        PAGE ADR  REGISTER                 RAW    "
        "VALUE          CRC  ACK  REQUEST\n";
  }
}

DecodedFrameOutput::~DecodedFrameOutput() {
  Flush();
}

void DecodedFrameOutput::Flush() {
  out_ << text_;
  out_.flush();
  text_.clear();
}

void DecodedFrameOutput::EndLine() {
  while (!text_.empty() && text_.back() == ' ') text_.pop_back();
  text_ += '\n';
  if (text_.size() >= kBlock) Flush();
}

void DecodedFrameOutput::Fault(std::size_t line) {
  if (firstFault == 0) firstFault = line;
}

void DecodedFrameOutput::Marker(const LogMarker& marker) {
  if (json_) {
    Start(text_, marker.line, "marker");
    StringField(text_, "marker", marker.started ? "start" : "stop");
    text_ += ",\"time\":";
    AppendJsonString(text_, marker.time);
    text_ += '}';
  } else {
    const std::size_t start = text_.size();
    AppendNumber(text_, marker.line);
    EndColumn(text_, start, 7);
    text_ += marker.started ? "[Logging Started: " : "[Logging Stopped: ";
    text_ += marker.time;
    text_ += ']';
  }
  EndLine();
}

void DecodedFrameOutput::Frame(const DecodedFrame& frame) {
  ++frames;
  if (frame.crc == Crc4Check::Bad) {
    ++badCrc;
    Fault(frame.line);
  }
  if (json_) {
    FrameJson(frame);
  } else {
    FrameRow(frame);
  }
  EndLine();
}

void DecodedFrameOutput::FrameJson(const DecodedFrame& frame) {
  Start(text_, frame.line, "frame");
  StringField(text_, "dir", DirectionText(frame.direction));
  StringField(text_, "type", frame.typeName);
  text_ += ",\"dev\":";
  if (frame.dev) {
    AppendNumber(text_, static_cast<std::size_t>(*frame.dev));
  } else {
    text_ += "null";
  }
  StringField(text_, "command", frame.command);
  NumberField(text_, "page", static_cast<std::size_t>(frame.page));
  NumberField(text_, "adr", static_cast<std::size_t>(frame.adr));
  StringField(text_, "register", frame.name);
  NumberField(text_, "raw", static_cast<std::uint16_t>(frame.raw));
  text_ += ",\"value\":";
  if (frame.value) {
    AppendFixed(text_, frame.value->value, frame.value->decimals, '.');
  } else {
    text_ += "null";
  }
  StringField(text_, "unit", frame.value ? frame.value->unit : std::string_view());
  StringField(text_, "crc", Crc4Text(frame.crc));
  StringField(text_, "ack", AcknowledgeText(frame.ack));
  text_ += ",\"request_line\":";
  if (frame.requestLine != 0) {
    AppendNumber(text_, frame.requestLine);
  } else {
    text_ += "null";
  }
  text_ += '}';
}

void DecodedFrameOutput::FrameRow(const DecodedFrame& frame) {
  std::size_t start = text_.size();
  AppendNumber(text_, frame.line);
  EndColumn(text_, start, 7);
  Column(text_, DirectionText(frame.direction), 4);
  Column(text_, frame.typeName, 9);
  start = text_.size();
  if (frame.dev) {
    AppendNumber(text_, static_cast<std::size_t>(*frame.dev));
  } else {
    text_ += '-';
  }
  EndColumn(text_, start, 3);
  Column(text_, frame.command, 14);
  start = text_.size();
  AppendNumber(text_, static_cast<std::size_t>(frame.page));
  EndColumn(text_, start, 4);
  start = text_.size();
  AppendHex(text_, static_cast<std::uint32_t>(frame.adr), 2);
  EndColumn(text_, start, 4);
  Column(text_, frame.name.empty() ? "-" : frame.name, 24);
  start = text_.size();
  AppendHex(text_, static_cast<std::uint16_t>(frame.raw), 4);
  EndColumn(text_, start, 6);
  start = text_.size();
  AppendValueText(text_, frame, '.');
  EndColumn(text_, start, 14);
  Column(text_, Crc4Text(frame.crc), 4);
  Column(text_, AcknowledgeText(frame.ack), 4);
  if (frame.requestLine != 0) AppendNumber(text_, frame.requestLine);
}

void DecodedFrameOutput::Malformed(const MalformedLine& line) {
  ++malformed;
  Fault(line.line);
  if (json_) {
    Start(text_, line.line, "malformed");
    text_ += ",\"error\":";
    AppendJsonString(text_, line.reason);
    text_ += '}';
  } else {
    const std::size_t start = text_.size();
    AppendNumber(text_, line.line);
    EndColumn(text_, start, 7);
    text_ += "malformed: ";
    text_ += line.reason;
  }
  EndLine();
}

}  // namespace qvm::cli
