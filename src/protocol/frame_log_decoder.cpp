// SPDX-License-Identifier: MIT
#include "protocol/frame_log_decoder.h"

#include <span>

#include "protocol/crc4.h"
#include "protocol/device_command.h"
#include "protocol/response_parser.h"

namespace qvm {

namespace {

constexpr std::string_view kStarted = "[Logging Started: ";
constexpr std::string_view kStopped = "[Logging Stopped: ";
constexpr std::string_view kSent = "Sent:";
constexpr std::string_view kReceived = "Rcvd:";
constexpr std::size_t kExcerpt = 32;
constexpr std::uint8_t kWriteBit = 0x8;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The start of `text`, printable, for a message.
std::string Excerpt(std::string_view text) {
  std::string shown;
  for (char c : text.substr(0, kExcerpt)) {
    shown += c >= ' ' && c < 0x7F ? c : '?';
  }
  if (text.size() > kExcerpt) shown += "...";
  return shown;
}

// The hexadecimal bytes after a frame label; the reason when they are not all bytes.
template <typename Bytes>
std::optional<std::string> ParseBytes(std::string_view text, Bytes& bytes) {
  bytes.size = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (!IsBlank(text[i])) return "a byte must follow a blank: \"" + Excerpt(text.substr(i)) + "\"";
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i == text.size()) break;
    const int high = HexDigit(text[i]);
    const int low = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
    if (high < 0 || low < 0 || (i + 2 < text.size() && !IsBlank(text[i + 2]))) {
      return "not a hexadecimal byte: \"" + Excerpt(text.substr(i)) + "\"";
    }
    if (bytes.size == bytes.data.size()) {
      return "more than " + std::to_string(bytes.data.size()) + " bytes";
    }
    bytes.data[bytes.size++] = static_cast<std::uint8_t>(high * 16 + low);
    i += 2;
  }
  if (bytes.size == 0) return std::string("no bytes");
  return std::nullopt;
}

// `text` in lower case, written over `out`.
void AssignLower(std::string& out, std::string_view text) {
  out.assign(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

}  // namespace

FrameLogDecoder::FrameLogDecoder(const RegisterModel& model, const SharedState& state,
                                 bool daisyChain)
    : model_(model), state_(state), daisyChain_(daisyChain) {}

void FrameLogDecoder::Line(std::string_view text, FrameLogSink& sink) {
  ++lineNumber_;
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  const bool received = text.starts_with(kReceived);
  // Only the next line can be a request's reply.
  if (!received) {
    ReportRequest(sink);
    request_.reset();
  }
  if (text.empty()) return;
  if ((text.starts_with(kStarted) || text.starts_with(kStopped)) && text.back() == ']') {
    const std::string_view time = text.substr(kStarted.size(), text.size() - kStarted.size() - 1);
    sink.Marker({lineNumber_, text.starts_with(kStarted), time});
    return;
  }
  if (!received && !text.starts_with(kSent)) {
    sink.Malformed({lineNumber_, "neither a frame nor a marker: \"" + Excerpt(text) + "\""});
    return;
  }
  Bytes bytes;
  if (auto problem = ParseBytes(text.substr(kSent.size()), bytes)) {
    // A reply that cannot be read answers nothing: its request is done with.
    ReportRequest(sink);
    request_.reset();
    sink.Malformed({lineNumber_, std::string(text.substr(0, kSent.size())) + " " + *problem});
    return;
  }
  if (received) {
    Reply(bytes, sink);
  } else {
    Request(bytes, sink);
  }
}

void FrameLogDecoder::BadLine(std::string reason, FrameLogSink& sink) {
  ++lineNumber_;
  ReportRequest(sink);
  request_.reset();
  sink.Malformed({lineNumber_, std::move(reason)});
}

void FrameLogDecoder::Finish(FrameLogSink& sink) {
  ReportRequest(sink);
  request_.reset();
}

void FrameLogDecoder::ReportRequest(FrameLogSink& sink) {
  if (!request_ || requestReported_) return;
  sink.Frame(*request_);
  requestReported_ = true;
}

void FrameLogDecoder::Request(const Bytes& bytes, FrameLogSink& sink) {
  const std::span<const std::uint8_t> data(bytes.data.data(), bytes.size);
  DecodedFrame frame;
  frame.line = lineNumber_;
  frame.direction = FrameDirection::Sent;
  const std::uint8_t cat = daisyChain_ ? data[0] & 0xF : data[0] >> 4;
  const bool write = (cat & kWriteBit) != 0;
  const std::size_t expected = (daisyChain_ ? 3 : 2) + (write ? 1 : 0);
  if (bytes.size != expected) {
    sink.Malformed({lineNumber_, std::string(daisyChain_ ? "a daisy-chain " : "a single-device ") +
                                     (write ? "write" : "read") + " request has " +
                                     std::to_string(expected) + " bytes, not " +
                                     std::to_string(bytes.size)});
    return;
  }
  frame.page = cat & 7;
  frame.write = write;
  if (!daisyChain_) {
    frame.adr = ((data[0] & 0xF) << 2) | (data[1] >> 6);
    frame.raw =
        static_cast<std::int16_t>(write ? ((data[1] & 0x3F) << 8) | data[2] : data[1] & 0x3F);
  } else if (write) {
    DeviceCommand command;
    frame.crc = DecodeDaisyResponse(command, data) ? Crc4Check::Good : Crc4Check::Bad;
    frame.dev = command.dev;
    frame.adr = command.adr;
    frame.raw = command.dat;
  } else {
    frame.dev = data[0] >> 4;
    frame.adr = data[1] >> 2;
    frame.raw = static_cast<std::int16_t>(((data[1] & 3) << 4) | (data[2] >> 4));
    frame.crc = CheckCrc4(data) ? Crc4Check::Good : Crc4Check::Bad;
  }
  request_ = frame;
  requestReported_ = false;
  Describe(*request_);
  request_->command = RequestCommand(*request_);
  if (!holdRequests_) ReportRequest(sink);
}

std::string_view FrameLogDecoder::RequestCommand(const DecodedFrame& request) {
  const std::int32_t kind = model_.RegKind(request.devType, request.RegisterIndex());
  if (kind == kKindBlockRead) return "read all";
  if (kind == kKindCommand || kind == kKindCommandWithData3 || kind == kKindCommandWithData4) {
    if (request.name.empty()) return "command";
    AssignLower(requestCommand_, request.name);
    return requestCommand_;
  }
  return request.write ? "write" : "read";
}

void FrameLogDecoder::Describe(DecodedFrame& frame) const {
  const RegisterTables& tables = model_.type[static_cast<std::size_t>(frame.devType)];
  frame.typeName = state_.PartName(frame.devType);
  frame.name = tables.RegName[static_cast<std::size_t>(frame.RegisterIndex())];
  const int index = frame.RegisterIndex();
  const bool received = frame.direction == FrameDirection::Received;
  frame.ack = !received          ? Acknowledge::None
              : index == kRegAck ? Acknowledge::Ack
              : index == kRegNak ? Acknowledge::Nack
                                 : Acknowledge::None;
  // A value travels in a write, and in a reply word of a readable register.
  const bool valued =
      received ? IsReadableKind(tables.RegKind[static_cast<std::size_t>(index)]) : frame.write;
  frame.value =
      valued ? DecodeRegisterValue(model_, state_, frame.devType, index, frame.raw) : std::nullopt;
}

void FrameLogDecoder::Reply(const Bytes& bytes, FrameLogSink& sink) {
  if (daisyChain_) {
    DaisyReply(bytes, sink);
  } else {
    SingleReply(bytes, sink);
  }
  request_.reset();
}

int FrameLogDecoder::ReplyType(const Bytes& bytes) const {
  if (!request_ || bytes.size < 4) return request_ ? request_->devType : 0;
  const DecodedFrame& request = *request_;
  const int first = bytes.data[1] >> 2;
  int shapeMatch = -1;
  for (int type : {request.devType, 1 - request.devType}) {
    if (model_.RegKind(type, request.RegisterIndex()) != kKindBlockRead) continue;
    const BlockRead block = BlockReadFor(type, request.page, request.adr);
    if (block.words == 0 || block.firstAddress != first) continue;
    if (bytes.size == 4 + 3 * static_cast<std::size_t>(block.words - 1)) return type;
    if (shapeMatch < 0) shapeMatch = type;
  }
  return shapeMatch >= 0 ? shapeMatch : request.devType;
}

void FrameLogDecoder::DaisyReply(const Bytes& bytes, FrameLogSink& sink) {
  const int type = ReplyType(bytes);
  if (request_ && !requestReported_ && request_->devType != type) {
    request_->devType = type;
    Describe(*request_);
    request_->command = RequestCommand(*request_);
  }
  ReportRequest(sink);

  DecodedFrame word;
  word.line = lineNumber_;
  word.direction = FrameDirection::Received;
  word.devType = type;
  word.requestLine = request_ ? request_->line : 0;
  const std::string_view command = request_ ? request_->command : "unrequested";
  // A block read's answer: one 4-byte frame with the first address, then 3-byte words.
  BlockRead block;
  if (request_ && model_.RegKind(type, request_->RegisterIndex()) == kKindBlockRead) {
    block = BlockReadFor(type, request_->page, request_->adr);
  }
  int wordsLeft = 0;
  DeviceCommand decoded;
  std::size_t p = 0;
  std::size_t d = 4;
  const std::span<const std::uint8_t> data(bytes.data.data(), bytes.size);
  while (p + d <= bytes.size) {
    const bool good = DecodeDaisyResponse(decoded, data.subspan(p, d));
    word.dev = decoded.dev;
    word.page = decoded.cat & 7;
    word.adr = decoded.adr;
    word.raw = decoded.dat;
    word.crc = good ? Crc4Check::Good : Crc4Check::Bad;
    Describe(word);
    word.command = command;
    sink.Frame(word);
    // After a bad CRC4 the frame boundaries are lost, as they are for the console's parser.
    if (!good) return;
    p += d;
    if (d == 4) {
      if (block.words > 1 && word.adr == block.firstAddress) {
        wordsLeft = block.words - 1;
        d = 3;
      }
    } else if (--wordsLeft == 0) {
      d = 4;
    }
  }
  if (p < bytes.size) {
    sink.Malformed({lineNumber_, "Rcvd: the reply ends inside a " + std::to_string(d) +
                                     "-byte frame, " + std::to_string(bytes.size - p) +
                                     " of its bytes came"});
  }
}

void FrameLogDecoder::SingleReply(const Bytes& bytes, FrameLogSink& sink) {
  ReportRequest(sink);
  if (!request_) {
    sink.Malformed({lineNumber_, "Rcvd: a single-device reply without its request"});
    return;
  }
  if (bytes.size != 2) {
    sink.Malformed({lineNumber_,
                    "Rcvd: a single-device reply has 2 bytes, not " + std::to_string(bytes.size)});
    return;
  }
  DecodedFrame word = *request_;
  word.line = lineNumber_;
  word.direction = FrameDirection::Received;
  word.requestLine = request_->line;
  word.write = false;
  word.raw = static_cast<std::int16_t>((bytes.data[0] & 0x3F) * 256 + bytes.data[1]);
  Describe(word);
  sink.Frame(word);
}

}  // namespace qvm
