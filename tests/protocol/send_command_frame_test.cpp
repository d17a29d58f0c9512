// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "protocol/command_frame.h"
#include "protocol_bench.h"
#include "scripted_spi.h"

namespace qvm::test {
namespace {

class SendCommandFrameTest : public ::testing::Test {
 protected:
  SendCommandFrameTest() {
    bench.DefineTestKinds();
    bench.Connect();
  }

  DeviceCommand Command(int dev, int cat, int adr, int dat, int type = 0) {
    DeviceCommand command;
    command.dev = static_cast<std::uint8_t>(dev);
    command.cat = static_cast<std::uint8_t>(cat);
    command.adr = static_cast<std::uint8_t>(adr);
    command.dat = static_cast<std::int16_t>(dat);
    command.devType = static_cast<std::int16_t>(type);
    return command;
  }

  ScriptedSpi spi;
  ProtocolBench bench{spi};
  Session& session = bench.session;
};

TEST_F(SendCommandFrameTest, NotConnectedSendsNothingAndKeepsTheCommand) {
  session.bridge.EvbConnected = false;
  DeviceCommand command = Command(1, 1, 0, 0x3FFF);
  EXPECT_FALSE(SendCommandFrame(session, command));
  EXPECT_EQ(bench.SentCount(), 0u);
  EXPECT_EQ(command.dat, 0x3FFF);
  EXPECT_TRUE(command.frame.empty());
}

TEST_F(SendCommandFrameTest, SingleReadOfReadOnlyRegisterClocksOutTheAnswer) {
  spi.replies.push_back({0xFF, 0xFF, 0xC1, 0x23, 0x00});
  DeviceCommand command = Command(0, 1, 0, 0);
  ASSERT_TRUE(SendCommandFrame(session, command));

  const Report& sent = bench.LastSent();
  EXPECT_EQ(sent[1], kCmdSpiSingle);
  EXPECT_EQ(sent[3], 5);     // frame, two fill bytes and the extra byte
  EXPECT_EQ(sent[4], 0x00);  // header of device type 0
  EXPECT_EQ(sent[5], 0x10);
  EXPECT_EQ(sent[6], 0x00);
  EXPECT_EQ(sent[7], 0x00);
  EXPECT_EQ(sent[8], 0x00);
  EXPECT_EQ(command.dat, 0x0123);  // the top two bits of reply byte 7 are dropped
  EXPECT_EQ(bench.view.leds[Led::Com52400], Colour::Green);
  EXPECT_NE(bench.view.hexLog[0].find("Sent: 10 00"), std::string::npos);
  EXPECT_NE(bench.view.hexLog[0].find("Rcvd: C1 23"), std::string::npos);
}

TEST_F(SendCommandFrameTest, SingleReadOfCompanionUsesItsHeader) {
  spi.replies.push_back({0, 0, 0x00, 0x42, 0});
  DeviceCommand command = Command(0, 1, 0, 0, 1);
  ASSERT_TRUE(SendCommandFrame(session, command));
  EXPECT_EQ(bench.LastSent()[4], 0x40);
  EXPECT_EQ(command.dat, 0x42);
}

TEST_F(SendCommandFrameTest, SingleReadOfCommandRegisterSendsNoFill) {
  spi.replies.push_back({0x55, 0x55, 0x55});
  DeviceCommand command = Command(0, 3, 9, 0x21);
  ASSERT_TRUE(SendCommandFrame(session, command));
  EXPECT_EQ(bench.LastSent()[3], 3);  // two frame bytes and the extra byte
  EXPECT_EQ(command.dat, 0x21);
  EXPECT_TRUE(bench.faults.entries.empty());
}

TEST_F(SendCommandFrameTest, ShortSingleReplyGivesZeroAndAnUnrecognizedEntry) {
  spi.replies.push_back({0x12});
  DeviceCommand command = Command(0, 1, 0, 0x11);
  ASSERT_TRUE(SendCommandFrame(session, command));
  EXPECT_EQ(command.dat, 0);
  EXPECT_EQ(bench.faults.entries, std::vector<std::string>{"Unrecognized Response"});
  EXPECT_EQ(bench.view.leds[Led::Com52400], Colour::Red);
}

TEST_F(SendCommandFrameTest, DaisyReadAndWriteHeaders) {
  bench.UseDaisyChain();
  DeviceCommand read = Command(2, 1, 0x10, 0x3FFF);
  ASSERT_TRUE(SendCommandFrame(session, read));
  EXPECT_EQ(read.dat, 0x3F);
  Report sent = bench.LastSent();
  EXPECT_EQ(sent[1], kCmdSpiDaisy);
  EXPECT_EQ(sent[3], 4);
  EXPECT_EQ(sent[4], 0x00);

  DeviceCommand write = Command(2, 9, 0x10, 0x3FFF, 1);
  ASSERT_TRUE(SendCommandFrame(session, write));
  sent = bench.LastSent();
  EXPECT_EQ(sent[3], 5);
  EXPECT_EQ(sent[4], 0xC0);
  EXPECT_EQ((std::vector<std::uint8_t>(sent.begin() + 5, sent.begin() + 9)),
            (std::vector<std::uint8_t>{0x29, 0x43, 0xFF, 0xF5}));
  EXPECT_EQ(bench.view.hexLog[1], "Sent: 29 43 FF F5\r\n");
}

TEST_F(SendCommandFrameTest, UprBufferReadsSendNoFrameAndNoTrace) {
  bench.UseDaisyChain();
  DeviceCommand primary = Command(0, 0, 0, 0, 0);
  ASSERT_TRUE(SendCommandFrame(session, primary));
  EXPECT_EQ(bench.LastSent()[1], kCmdUprBuffer52400);
  EXPECT_EQ(bench.LastSent()[3], 1);
  EXPECT_EQ(bench.LastSent()[4], 0x30);

  DeviceCommand companion = Command(0, 0, 0, 0, 1);
  ASSERT_TRUE(SendCommandFrame(session, companion));
  EXPECT_EQ(bench.LastSent()[1], kCmdUprBuffer52401);
  EXPECT_EQ(bench.LastSent()[4], 0x70);
  EXPECT_EQ(companion.frame, std::vector<std::uint8_t>{0});
  EXPECT_TRUE(session.exchange.TraceSent.empty());
  EXPECT_EQ(bench.view.hexLog[0].find("Sent:"), std::string::npos);
}

TEST_F(SendCommandFrameTest, DaisyReplyIsTracedButNotInterpreted) {
  bench.UseDaisyChain();
  spi.replies.push_back(ResponseFrame(1, 2, 4, 0x0123));
  DeviceCommand command = Command(1, 2, 4, 0);
  ASSERT_TRUE(SendCommandFrame(session, command));
  EXPECT_EQ(command.dat, 0);
  EXPECT_EQ(session.exchange.ReplyCount, 5);
  EXPECT_EQ(session.exchange.TraceReceived.rfind("Rcvd: 12 10 12 3", 0), 0u);
}

TEST_F(SendCommandFrameTest, AnOverlongReplyCountIsTracedOnlyUpToTheReportEnd) {
  bench.UseDaisyChain();
  spi.replies.push_back(std::vector<std::uint8_t>(80, 0xAA));
  DeviceCommand command = Command(1, 2, 4, 0);
  ASSERT_TRUE(SendCommandFrame(session, command));
  // 59 bytes traced: eight lines of eight and one of three.
  const std::string& trace = session.exchange.TraceReceived;
  std::size_t bytes = 0;
  for (std::size_t at = trace.find("AA"); at != std::string::npos; at = trace.find("AA", at + 2)) {
    ++bytes;
  }
  EXPECT_EQ(bytes, 59u);
}

TEST_F(SendCommandFrameTest, NoReplyFromTheBridgeIsAFailedExchange) {
  bench.board->Faults().dropReplies = sim::kAlways;
  DeviceCommand command = Command(0, 1, 0, 0x11);
  EXPECT_FALSE(SendCommandFrame(session, command));
  EXPECT_TRUE(session.exchange.ExchangeFailed);
  EXPECT_EQ(command.dat, 0x11);  // the stale buffer is not read as a value
  EXPECT_TRUE(bench.faults.entries.empty());
}

}  // namespace
}  // namespace qvm::test
