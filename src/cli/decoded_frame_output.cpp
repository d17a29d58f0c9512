#include "cli/decoded_frame_output.h"

#include <ostream>

#include "cli/json_output.h"
#include "core/hex.h"
#include "model/value_format.h"
#include "protocol/decoded_frame_text.h"

namespace qvm::cli {

namespace {

constexpr std::size_t kBlock = 1 << 16;

// `text` padded with blanks to `width`, then one blank.
void Column(std::string& out, std::string_view text, std::size_t width) {
  out += text;
  out.append(text.size() < width ? width - text.size() + 1 : 1, ' ');
}

void Field(std::string& out, std::string_view name, std::string_view jsonValue) {
  out += ",\"";
  out += name;
  out += "\":";
  out += jsonValue;
}

std::string JsonOrNull(std::string_view text) {
  return text.empty() ? "null" : JsonString(text);
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
  const std::string_view name = marker.started ? "start" : "stop";
  if (json_) {
    text_ += "{\"line\":" + std::to_string(marker.line) + ",\"kind\":\"marker\"";
    Field(text_, "marker", JsonString(name));
    Field(text_, "time", JsonString(marker.time));
    text_ += '}';
  } else {
    Column(text_, std::to_string(marker.line), 7);
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
  const std::string raw = Hex0x(static_cast<std::uint16_t>(frame.raw), 4);
  const std::string request = frame.requestLine != 0 ? std::to_string(frame.requestLine) : "";
  if (json_) {
    text_ += "{\"line\":" + std::to_string(frame.line) + ",\"kind\":\"frame\"";
    Field(text_, "dir", JsonString(DirectionText(frame.direction)));
    Field(text_, "type", JsonString(frame.typeName));
    Field(text_, "dev", frame.dev ? std::to_string(*frame.dev) : "null");
    Field(text_, "command", JsonString(frame.command));
    Field(text_, "page", std::to_string(frame.page));
    Field(text_, "adr", std::to_string(frame.adr));
    Field(text_, "register", JsonOrNull(frame.name));
    Field(text_, "raw", std::to_string(frame.raw));
    Field(text_, "value",
          frame.value ? FormatFixed(frame.value->value, frame.value->decimals, '.') : "null");
    Field(text_, "unit", frame.value ? JsonOrNull(frame.value->unit) : "null");
    Field(text_, "crc", JsonOrNull(Crc4Text(frame.crc)));
    Field(text_, "ack", JsonOrNull(AcknowledgeText(frame.ack)));
    Field(text_, "request_line", request.empty() ? "null" : request);
    text_ += '}';
  } else {
    Column(text_, std::to_string(frame.line), 7);
    Column(text_, DirectionText(frame.direction), 4);
    Column(text_, frame.typeName, 9);
    Column(text_, frame.dev ? std::to_string(*frame.dev) : "-", 3);
    Column(text_, frame.command, 14);
    Column(text_, std::to_string(frame.page), 4);
    Column(text_, Hex0x(static_cast<std::uint32_t>(frame.adr), 2), 4);
    Column(text_, frame.name.empty() ? "-" : frame.name, 24);
    Column(text_, raw, 6);
    Column(text_, ValueText(frame, '.'), 14);
    Column(text_, Crc4Text(frame.crc), 4);
    Column(text_, AcknowledgeText(frame.ack), 4);
    text_ += request;
  }
  EndLine();
}

void DecodedFrameOutput::Malformed(const MalformedLine& line) {
  ++malformed;
  Fault(line.line);
  if (json_) {
    text_ += "{\"line\":" + std::to_string(line.line) + ",\"kind\":\"malformed\"";
    Field(text_, "error", JsonString(line.reason));
    text_ += '}';
  } else {
    Column(text_, std::to_string(line.line), 7);
    text_ += "malformed: " + line.reason;
  }
  EndLine();
}

}  // namespace qvm::cli
