// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/register_model.h"
#include "model/register_value.h"
#include "model/shared_state.h"

namespace qvm {

enum class FrameDirection { Sent, Received };
// Single-device frames carry no CRC4.
enum class Crc4Check { None, Good, Bad };
enum class Acknowledge { None, Ack, Nack };

// One register word of a traced frame: a request, or one word of a reply.
struct DecodedFrame {
  std::size_t line = 0;
  FrameDirection direction = FrameDirection::Sent;
  // For a reply: the line of the request it answers; 0 when no request was waiting.
  std::size_t requestLine = 0;
  // The primary IC unless a block reply's first address and length are the companion's: the
  // log does not say which type a frame went to.
  int devType = 0;
  std::string_view typeName;
  // Absent in single-device mode, whose frames name no device.
  std::optional<int> dev;
  int page = 0;
  int adr = 0;
  // A request with the write bit.
  bool write = false;
  // The frame's 14 data bits; a read request carries only 6.
  std::int16_t raw = 0;
  // "read", "write", "read all" for a block read, or a command register's name in lower case
  // ("scan all", "identify"); a reply word carries its request's.
  std::string_view command;
  // The register's name in the tab definition file; empty when it defines none.
  std::string_view name;
  // Register values: written ones and those replies bring.
  std::optional<RegisterValue> value;
  Crc4Check crc = Crc4Check::None;
  Acknowledge ack = Acknowledge::None;

  int RegisterIndex() const { return page * 64 + adr; }
};

// "[Logging Started: <time>]" or "[Logging Stopped: <time>]".
struct LogMarker {
  std::size_t line = 0;
  bool started = true;
  std::string_view time;
};

struct MalformedLine {
  std::size_t line = 0;
  std::string reason;
};

// Receives what the decoder finds, in the order of the log. Views stay valid until the decoder
// takes its next line.
class FrameLogSink {
 public:
  virtual ~FrameLogSink() = default;
  virtual void Marker(const LogMarker& marker) = 0;
  virtual void Frame(const DecodedFrame& frame) = 0;
  virtual void Malformed(const MalformedLine& line) = 0;
};

// Decodes a frame log line by line, in constant memory: markers, requests ("Sent:") and the
// words of their replies ("Rcvd:"), each reply matched to the request before it. A line that is
// none of these is reported with its number and decoding goes on.
class FrameLogDecoder {
 public:
  static constexpr std::size_t kMaxFrameBytes = 64;

  // Register names, kinds and scales come from `model`, part names and Tint25 from `state`;
  // both must outlive the decoder.
  FrameLogDecoder(const RegisterModel& model, const SharedState& state, bool daisyChain);

  // Daisy-chain frames (with device and CRC4) or single-device frames.
  void SetDaisyChain(bool daisyChain) { daisyChain_ = daisyChain; }
  // A request waits for its reply, whose shape may show the companion as its device type. A
  // view that shows each line as it comes reports requests at once instead.
  void SetHoldRequests(bool hold) { holdRequests_ = hold; }

  // Decodes the next line, without its line end.
  void Line(std::string_view text, FrameLogSink& sink);
  // Counts a line that could not be taken whole (too long, unreadable) and reports it.
  void BadLine(std::string reason, FrameLogSink& sink);
  // Reports a request still held back for its reply; call at the end of the log.
  void Finish(FrameLogSink& sink);

  std::size_t LineNumber() const { return lineNumber_; }

 private:
  struct Bytes {
    std::array<std::uint8_t, kMaxFrameBytes> data{};
    std::size_t size = 0;
  };

  void Request(const Bytes& bytes, FrameLogSink& sink);
  void ReportRequest(FrameLogSink& sink);
  void Reply(const Bytes& bytes, FrameLogSink& sink);
  void DaisyReply(const Bytes& bytes, FrameLogSink& sink);
  void SingleReply(const Bytes& bytes, FrameLogSink& sink);
  // The device type a block reply's first frame and length show, or the request's.
  int ReplyType(const Bytes& bytes) const;
  // Type name, register name, command, value and acknowledge of a decoded word.
  void Describe(DecodedFrame& frame) const;
  // The request's command, kept in requestCommand_.
  std::string_view RequestCommand(const DecodedFrame& request);

  const RegisterModel& model_;
  const SharedState& state_;
  bool daisyChain_;
  bool holdRequests_ = true;
  std::size_t lineNumber_ = 0;
  // The last request, held back until its reply shows its device type, and whether it was
  // reported already.
  std::optional<DecodedFrame> request_;
  bool requestReported_ = false;
  std::string requestCommand_;
};

}  // namespace qvm
