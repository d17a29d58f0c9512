// SPDX-License-Identifier: MIT
#include "protocol/frame_log_decoder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "link/frame_trace.h"
#include "model/decoders.h"
#include "model/tab_definitions.h"
#include "protocol/device_command.h"
#include "protocol/frame_log_file.h"
#include "sim/chain/response_frames.h"

namespace qvm::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Everything the decoder reports, in order.
struct Found : FrameLogSink {
  std::vector<DecodedFrame> frames;
  std::vector<LogMarker> markers;
  std::vector<MalformedLine> malformed;
  // Kept so that the views of the frames stay valid.
  std::vector<std::string> commands;

  void Marker(const LogMarker& marker) override { markers.push_back(marker); }
  void Frame(const DecodedFrame& frame) override {
    frames.push_back(frame);
    commands.emplace_back(frame.command);
  }
  void Malformed(const MalformedLine& line) override { malformed.push_back(line); }
};

// A traced frame as the communication log holds it.
std::string Trace(std::string_view label, const Bytes& bytes) {
  return ReplaceLineBreaks(FrameTraceText(label, bytes), "");
}

std::string Repeated(std::string_view text, int times) {
  std::string repeated;
  for (int i = 0; i < times; ++i) repeated += text;
  return repeated;
}

Bytes DaisyRequest(int dev, int cat, int adr, int dat) {
  Bytes frame;
  auto data = static_cast<std::int16_t>(dat);
  EncodeDaisyFrame(static_cast<std::uint8_t>(dev), static_cast<std::uint8_t>(cat),
                   static_cast<std::uint8_t>(adr), data, frame);
  return frame;
}

// The block reply of `words` words from address `first` down, values first*100, ...
Bytes BlockReply(int dev, int page, int first, int words) {
  Bytes reply = sim::ResponseFrame(dev, page, first, first * 100);
  for (int adr = first - 1; adr > first - words; --adr) {
    const sim::Frame word = sim::BlockWordFrame(adr, adr * 100);
    reply.insert(reply.end(), word.begin(), word.end());
  }
  return reply;
}

class FrameLogDecoderTest : public ::testing::Test {
 protected:
  FrameLogDecoderTest() {
    std::ifstream file(std::string(QVM_DATA_DIR) + "/tabdefs_QVM52400_RevA.csv", std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    EXPECT_TRUE(ParseTabDefinitions(text.str(), model, image, state).ok);
  }

  Found Decode(const std::vector<std::string>& lines, bool daisyChain = true) {
    FrameLogDecoder decoder(model, state, daisyChain);
    Found found;
    for (const std::string& line : lines) decoder.Line(line, found);
    decoder.Finish(found);
    return found;
  }

  const std::string& Name(int type, int index) const {
    return model.type[static_cast<std::size_t>(type)].RegName[static_cast<std::size_t>(index)];
  }

  RegisterModel model;
  RegisterImage image;
  SharedState state;
};

TEST_F(FrameLogDecoderTest, RequestsDecodeAsTheyWereEncoded) {
  const struct {
    int dev, cat, adr, dat;
    std::string command;
  } cases[] = {
      {1, 1, 0x0F, 0, "read all"}, {2, 3, 0x05, 0, "scan all"},     {0, 3, 0x09, 2, "identify"},
      {3, 2, 0x04, 0, "read"},     {4, 0xA, 0x10, 0x1AE1, "write"},
  };
  for (const auto& c : cases) {
    const Found found = Decode({Trace("Sent:", DaisyRequest(c.dev, c.cat, c.adr, c.dat))});
    ASSERT_EQ(found.frames.size(), 1u) << c.command;
    const DecodedFrame& frame = found.frames[0];
    EXPECT_EQ(frame.line, 1u);
    EXPECT_EQ(frame.direction, FrameDirection::Sent);
    EXPECT_EQ(frame.dev, c.dev);
    EXPECT_EQ(frame.page, c.cat & 7);
    EXPECT_EQ(frame.adr, c.adr);
    EXPECT_EQ(frame.raw, c.dat);
    EXPECT_EQ(found.commands[0], c.command);
    EXPECT_EQ(frame.name, Name(0, RegisterIndex(c.cat, c.adr)));
    EXPECT_FALSE(frame.name.empty());
    EXPECT_EQ(frame.crc, Crc4Check::Good);
    EXPECT_EQ(frame.typeName, "QVM52400");
    EXPECT_EQ(frame.value.has_value(), c.command == "write");
  }
  const Found write = Decode({Trace("Sent:", DaisyRequest(4, 0xA, 0x10, 0x1AE1))});
  EXPECT_DOUBLE_EQ(write.frames[0].value->value, DecodeOverVoltageLimit(model, 0x1AE1));
}

TEST_F(FrameLogDecoderTest, BlockRepliesAreSplitIntoWordsAndMatchedToTheirRequest) {
  const Found found = Decode(
      {"[Logging Started: 12/9/2026 5:26:21 PM]", Trace("Sent:", DaisyRequest(2, 1, 0x0F, 0)),
       Trace("Rcvd:", BlockReply(2, 1, 12, 13)), "[Logging Stopped: 12/9/2026 5:26:22 PM]"});
  EXPECT_TRUE(found.malformed.empty());
  ASSERT_EQ(found.markers.size(), 2u);
  EXPECT_TRUE(found.markers[0].started);
  EXPECT_FALSE(found.markers[1].started);
  EXPECT_EQ(found.markers[1].line, 4u);
  ASSERT_EQ(found.frames.size(), 14u);
  for (std::size_t i = 1; i < found.frames.size(); ++i) {
    const DecodedFrame& word = found.frames[i];
    const int adr = 13 - static_cast<int>(i);
    EXPECT_EQ(word.line, 3u);
    EXPECT_EQ(word.requestLine, 2u);
    EXPECT_EQ(word.direction, FrameDirection::Received);
    EXPECT_EQ(word.dev, 2);
    EXPECT_EQ(word.adr, adr);
    EXPECT_EQ(word.raw, adr * 100);
    EXPECT_EQ(word.crc, Crc4Check::Good);
    EXPECT_EQ(word.name, Name(0, 64 + adr));
    EXPECT_EQ(found.commands[i], "read all");
    ASSERT_TRUE(word.value.has_value());
    EXPECT_DOUBLE_EQ(word.value->value, adr == 0 ? DecodeVbatVoltage(model, word.raw)
                                                 : DecodeCellVoltage(model, word.raw));
  }
}

// The log does not say which device type a frame went to; a block reply's shape does.
TEST_F(FrameLogDecoderTest, ACompanionBlockReplyShowsTheCompanionType) {
  const Found found =
      Decode({Trace("Sent:", DaisyRequest(1, 2, 0x0F, 0)), Trace("Rcvd:", BlockReply(1, 2, 5, 5)),
              Trace("Sent:", DaisyRequest(1, 2, 0x0F, 0)), Trace("Rcvd:", BlockReply(1, 2, 6, 7))});
  EXPECT_TRUE(found.malformed.empty());
  ASSERT_EQ(found.frames.size(), 14u);
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(found.frames[i].devType, 1) << i;
  EXPECT_EQ(found.frames[0].typeName, "QVM52401");
  for (std::size_t i = 6; i < 14; ++i) EXPECT_EQ(found.frames[i].devType, 0) << i;
}

TEST_F(FrameLogDecoderTest, AcknowledgesAndBadCrcsAreMarked) {
  Bytes corrupt = sim::ResponseFrame(1, 1, 12, 1234);
  corrupt[2] ^= 0x10;
  Bytes replies = sim::AckFrame(1);
  const Bytes nak = sim::NakFrame(2);
  replies.insert(replies.end(), nak.begin(), nak.end());
  const Found found =
      Decode({Trace("Sent:", DaisyRequest(1, 3, 5, 0)), Trace("Rcvd:", replies),
              Trace("Sent:", DaisyRequest(1, 1, 0x0F, 0)), Trace("Rcvd:", corrupt)});
  ASSERT_EQ(found.frames.size(), 5u);
  EXPECT_EQ(found.frames[1].ack, Acknowledge::Ack);
  EXPECT_EQ(found.frames[2].ack, Acknowledge::Nack);
  EXPECT_EQ(found.frames[2].dev, 2);
  EXPECT_EQ(found.frames[4].crc, Crc4Check::Bad);
  // The frames after a bad CRC4 cannot be told apart; nothing more is made of the reply.
  EXPECT_TRUE(found.malformed.empty());
}

TEST_F(FrameLogDecoderTest, SingleDeviceFramesCarryTheRequestsRegister) {
  Bytes read;
  std::int16_t dat = 0;
  EncodeNonDaisyFrame(1, 0x01, dat, read);
  const Found found = Decode({Trace("Sent:", read), "Rcvd: 17 69"}, false);
  ASSERT_EQ(found.frames.size(), 2u);
  EXPECT_FALSE(found.frames[1].dev.has_value());
  EXPECT_EQ(found.frames[1].adr, 1);
  EXPECT_EQ(found.frames[1].raw, 0x1769);
  EXPECT_EQ(found.frames[1].crc, Crc4Check::None);
  EXPECT_DOUBLE_EQ(found.frames[1].value->value, DecodeCellVoltage(model, 0x1769));
}

TEST_F(FrameLogDecoderTest, MalformedLinesAreReportedWithTheirNumberAndDecodingGoesOn) {
  const std::string good = Trace("Sent:", DaisyRequest(1, 3, 5, 0));
  const struct {
    std::string line;
    std::string reason;
  } cases[] = {
      {"Sent: 13 1G 09", "not a hexadecimal byte"},
      {"Sent:", "no bytes"},
      {"Sent:13 14 09", "a byte must follow a blank"},
      {"Sent: 13 149", "not a hexadecimal byte"},
      {"Sent: 13 14", "has 3 bytes, not 2"},
      {"Sent: 19 14 09", "has 4 bytes, not 3"},
      {"Rcvd: 11 31 75 B9 2D", "ends inside a 4-byte frame"},
      {"Rcvd:" + Repeated(" 00", 65), "more than 64 bytes"},
      {"[Logging Started: 12/9/2026", "neither a frame nor a marker"},
      {std::string("\x7F\x45LF\x02\x01", 6), "neither a frame nor a marker: \"?ELF??\""},
  };
  for (const auto& c : cases) {
    const Found found = Decode({good, c.line, good});
    ASSERT_EQ(found.malformed.size(), 1u) << c.line;
    EXPECT_EQ(found.malformed[0].line, 2u) << c.line;
    EXPECT_NE(found.malformed[0].reason.find(c.reason), std::string::npos)
        << c.line << ": " << found.malformed[0].reason;
    ASSERT_FALSE(found.frames.empty()) << c.line;
    EXPECT_EQ(found.frames.back().line, 3u) << c.line;
  }
}

TEST_F(FrameLogDecoderTest, FilesAreReadLineByLineWhateverTheirLineEnds) {
  const auto path =
      std::filesystem::temp_directory_path() / ("frame-log-" + std::to_string(::getpid()) + ".txt");
  const std::string good = Trace("Sent:", DaisyRequest(1, 3, 5, 0));
  std::ofstream(path, std::ios::binary) << good << "\r\n"
                                        << std::string(100000, 'A') << "\n"
                                        << good << "\n"
                                        << good;
  FrameLogDecoder decoder(model, state, true);
  Found found;
  std::string problem;
  EXPECT_TRUE(DecodeFrameLogFile(path.string(), decoder, found, problem)) << problem;
  std::filesystem::remove(path);
  ASSERT_EQ(found.frames.size(), 3u);
  EXPECT_EQ(found.frames[2].line, 4u);
  ASSERT_EQ(found.malformed.size(), 1u);
  EXPECT_EQ(found.malformed[0].line, 2u);
  EXPECT_FALSE(DecodeFrameLogFile("/nonexistent/log.txt", decoder, found, problem));
  EXPECT_NE(problem.find("/nonexistent/log.txt"), std::string::npos);
  EXPECT_FALSE(DecodeFrameLogFile("/tmp", decoder, found, problem));
  EXPECT_NE(problem.find("not a plain file"), std::string::npos);
}

}  // namespace
}  // namespace qvm::test
