// SPDX-License-Identifier: MIT
#include "protocol/decoded_frame_text.h"

#include "core/hex.h"
#include "model/value_format.h"

namespace qvm {

std::string_view DirectionText(FrameDirection direction) {
  return direction == FrameDirection::Sent ? "sent" : "rcvd";
}

std::string_view Crc4Text(Crc4Check crc) {
  switch (crc) {
    case Crc4Check::Good:
      return "good";
    case Crc4Check::Bad:
      return "bad";
    case Crc4Check::None:
      break;
  }
  return "";
}

std::string_view AcknowledgeText(Acknowledge ack) {
  switch (ack) {
    case Acknowledge::Ack:
      return "ACK";
    case Acknowledge::Nack:
      return "NACK";
    case Acknowledge::None:
      break;
  }
  return "";
}

void AppendValueText(std::string& out, const DecodedFrame& frame, char decimalSeparator) {
  if (!frame.value) return;
  AppendFixed(out, frame.value->value, frame.value->decimals, decimalSeparator);
  if (!frame.value->unit.empty()) {
    out += ' ';
    out += frame.value->unit;
  }
}

std::string ValueText(const DecodedFrame& frame, char decimalSeparator) {
  std::string text;
  AppendValueText(text, frame, decimalSeparator);
  return text;
}

std::string FrameSummary(const DecodedFrame& frame, char decimalSeparator) {
  std::string text;
  if (frame.direction == FrameDirection::Sent) {
    text += frame.command;
    text += ' ';
  }
  text += frame.typeName;
  if (frame.dev) text += " dev " + std::to_string(*frame.dev);
  text += ' ';
  if (frame.name.empty()) {
    text += "page " + std::to_string(frame.page) + " adr " + Hex0x(frame.adr, 2);
  } else {
    text += frame.name;
  }
  if (frame.write || frame.direction == FrameDirection::Received) {
    text += ' ' + Hex0x(static_cast<std::uint16_t>(frame.raw), 4);
  }
  if (frame.value) text += ' ' + ValueText(frame, decimalSeparator);
  if (frame.crc == Crc4Check::Bad) text += " CRC4 bad";
  return text;
}

}  // namespace qvm
