// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "core/hex.h"
#include "protocol/command_frame.h"
#include "protocol/response_parser.h"
#include "protocol_bench.h"
#include "scripted_spi.h"

namespace qvm::test {
namespace {

// Replies scripted on the SPI port of the simulated board, sent with SendCommandFrame and
// parsed as the register access does.
class DaisyParserTest : public ::testing::Test {
 protected:
  DaisyParserTest() {
    bench.DefineTestKinds();
    bench.Connect();
    bench.UseDaisyChain();
  }

  // Sends a read of (dev, cat, adr) for `type`, answered by `reply`, and parses it.
  DeviceCommand Exchange(int dev, int cat, int adr, std::vector<std::uint8_t> reply, int type = 0) {
    spi.replies.push_back(std::move(reply));
    DeviceCommand command;
    command.dev = static_cast<std::uint8_t>(dev);
    command.cat = static_cast<std::uint8_t>(cat);
    command.adr = static_cast<std::uint8_t>(adr);
    command.devType = static_cast<std::int16_t>(type);
    EXPECT_TRUE(SendCommandFrame(session, command));
    ParseDaisyChainResponse(session, command, "rcv,");
    return command;
  }

  void FaultReply(int dev, int value) { Exchange(dev, 2, 4, ResponseFrame(dev, 2, 4, value)); }

  ScriptedSpi spi;
  ProtocolBench bench{spi};
  Session& session = bench.session;
};

TEST_F(DaisyParserTest, ThreeFramesFromThreeDevices) {
  Exchange(1, 2, 4,
           Concat({ResponseFrame(1, 1, 0, 0x1111), ResponseFrame(2, 1, 0, 0x2222),
                   ResponseFrame(3, 1, 0, 0x0333)}));
  EXPECT_EQ(session.exchange.ReplyCount, 13);
  EXPECT_EQ(session.image.at(0, 1, 64), 0x1111);
  EXPECT_EQ(session.image.at(0, 2, 64), 0x2222);
  EXPECT_EQ(session.image.at(0, 3, 64), 0x0333);
  EXPECT_EQ(bench.view.LogLines(),
            (std::vector<std::string>{"rcv,QVM52400,dev0x01,cat0x01,adr0x00,dat0x1111",
                                      "rcv,QVM52400,dev0x02,cat0x01,adr0x00,dat0x2222",
                                      "rcv,QVM52400,dev0x03,cat0x01,adr0x00,dat0x0333"}));
}

TEST_F(DaisyParserTest, TrafficLinesFollowTheActivityLogMenu) {
  bench.view.showActivityLogs = false;
  Exchange(1, 1, 0, ResponseFrame(1, 1, 0, 0x1111));
  EXPECT_EQ(session.image.at(0, 1, 64), 0x1111);
  EXPECT_TRUE(bench.view.log.empty());
}

TEST_F(DaisyParserTest, CompanionRepliesAreStoredUnderTheCompanion) {
  Exchange(1, 1, 0, ResponseFrame(1, 1, 0, 0x0456), 1);
  EXPECT_EQ(session.image.at(1, 1, 64), 0x0456);
  EXPECT_EQ(session.image.at(0, 1, 64), 0);
  EXPECT_EQ(bench.view.LogLines().front().rfind("rcv,QVM52401,", 0), 0u);
}

TEST_F(DaisyParserTest, OnlyReadableKindsAreStored) {
  Exchange(1, 3, 9, ResponseFrame(1, 3, 9, 0x2002));
  EXPECT_EQ(session.image.at(0, 1, 201), 0);
}

TEST_F(DaisyParserTest, BadCrcInTheSecondFrameStopsTheParse) {
  session.image.StoreRead(0, 1, 132, 0x8, 1);  // a fault that a full parse would log
  std::vector<std::uint8_t> second = ResponseFrame(2, 1, 0, 0x2222);
  second[3] ^= 0x1;
  Exchange(1, 1, 0,
           Concat({ResponseFrame(1, 1, 0, 0x1111), second, ResponseFrame(3, 1, 0, 0x0333)}));
  EXPECT_EQ(session.image.at(0, 1, 64), 0x1111);
  EXPECT_EQ(session.image.at(0, 2, 64), 0);
  EXPECT_EQ(session.image.at(0, 3, 64), 0);
  EXPECT_EQ(bench.faults.entries, std::vector<std::string>{"CRC4 Error"});
  EXPECT_TRUE(bench.faults.faults.empty());
  const auto lines = bench.view.LogLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2], "ParseDaisyChainResponse: QVM52400 CRC4 checksum error");
}

TEST_F(DaisyParserTest, NakRecordsTheTracesAndLightsNack) {
  Exchange(2, 2, 22, ResponseFrame(2, 3, 11, 0));
  ASSERT_EQ(bench.faults.entries.size(), 1u);
  EXPECT_EQ(bench.faults.entries[0],
            "NACK Response " + session.exchange.TraceSent + " " + session.exchange.TraceReceived);
  EXPECT_NE(bench.faults.entries[0].find("Sent: 22 58 "), std::string::npos);
  EXPECT_EQ(bench.view.leds[Led::Nack52400], Colour::Green);
  EXPECT_EQ(bench.view.leds.count(Led::Ack52400), 0u);
}

TEST_F(DaisyParserTest, AckAndFaultIndicators) {
  Exchange(1, 3, 9, Concat({ResponseFrame(1, 3, 12, 0), ResponseFrame(1, 2, 4, 0x4)}), 1);
  EXPECT_EQ(bench.view.leds[Led::Ack52401], Colour::Green);
  EXPECT_EQ(bench.view.leds[Led::Fault52401], Colour::Red);
}

TEST_F(DaisyParserTest, BlockReadOfThirteenWords) {
  std::vector<std::vector<std::uint8_t>> frames = {ResponseFrame(2, 1, 12, 0x1000)};
  for (int word = 1; word < 13; ++word) frames.push_back(BlockWord(12 + word, 0x1000 + word));
  Exchange(2, 1, 15, Concat(frames));
  EXPECT_EQ(session.exchange.ReplyCount, 1 + 4 + 12 * 3);
  const auto lines = bench.view.LogLines();
  ASSERT_EQ(lines.size(), 13u);
  for (int word = 0; word < 13; ++word) {
    const int address = 12 + word;
    EXPECT_EQ(lines[word], "rcv,QVM52400,dev0x02,cat0x01,adr" + Hex0x(address, 2) + ",dat" +
                               Hex0x(0x1000 + word, 4));
    // Address 15 is the block request itself (kind 5) and holds no value.
    const int expected = address == 15 ? 0 : 0x1000 + word;
    EXPECT_EQ(session.image.at(0, 2, 64 + address), expected) << word;
  }
  EXPECT_TRUE(bench.faults.entries.empty());
}

TEST_F(DaisyParserTest, FramesAfterTheBlockAreFourByteFramesAgain) {
  std::vector<std::vector<std::uint8_t>> frames = {ResponseFrame(1, 2, 6, 0x0100)};
  for (int word = 1; word < 7; ++word) frames.push_back(BlockWord(6 + word, 0x0100 + word));
  frames.push_back(ResponseFrame(1, 3, 12, 0));
  Exchange(1, 2, 15, Concat(frames));
  EXPECT_EQ(session.image.at(0, 1, 128 + 12), 0x0106);
  EXPECT_EQ(bench.view.leds[Led::Ack52400], Colour::Green);
}

TEST_F(DaisyParserTest, BlockStartsOnlyAtTheFirstReturnedAddressOfTheAskedDevice) {
  // Device 3 answers although device 2 was asked: its frames are read as 4-byte frames.
  Exchange(2, 1, 15, Concat({ResponseFrame(3, 1, 12, 0x0AAA), ResponseFrame(3, 1, 13, 0x0BBB)}));
  EXPECT_EQ(session.image.at(0, 3, 76), 0x0AAA);
  EXPECT_EQ(session.image.at(0, 3, 77), 0x0BBB);
}

TEST_F(DaisyParserTest, BlockReadTable) {
  EXPECT_EQ(BlockReadFor(0, 1, 15).firstAddress, 12);
  EXPECT_EQ(BlockReadFor(0, 1, 15).words, 13);
  EXPECT_EQ(BlockReadFor(0, 2, 31).words, 14);
  EXPECT_EQ(BlockReadFor(1, 2, 15).firstAddress, 5);
  EXPECT_EQ(BlockReadFor(1, 1, 15).words, 0);   // the companion has no cell-voltage block
  EXPECT_EQ(BlockReadFor(0, 9, 15).words, 13);  // the write bit does not change the page
}

TEST_F(DaisyParserTest, FaultBitTransitionsAreLoggedOncePerRise) {
  FaultReply(2, 0x0008);
  EXPECT_EQ(bench.faults.faults, std::vector<std::string>{"QVM52400 device 2 CellOV Fault"});
  FaultReply(2, 0x0008);
  EXPECT_EQ(bench.faults.faults.size(), 1u);
  FaultReply(2, 0x0000);
  EXPECT_EQ(bench.faults.faults.size(), 1u);
  FaultReply(2, 0x0008);
  EXPECT_EQ(bench.faults.faults.size(), 2u);
  FaultReply(2, 0x2009);
  EXPECT_EQ(
      bench.faults.faults,
      (std::vector<std::string>{"QVM52400 device 2 CellOV Fault", "QVM52400 device 2 CellOV Fault",
                                "QVM52400 device 2 Bit0 Fault", "QVM52400 device 2 Bit13 Fault"}));
  EXPECT_EQ(session.PrevFaultStatus[0][2], 0x2009);
}

TEST_F(DaisyParserTest, FaultsOfBothTypesAreLoggedDeviceByDevice) {
  session.image.StoreRead(1, 4, 132, 0x2, 1);
  session.image.StoreRead(0, 5, 132, 0x1, 1);
  Exchange(1, 1, 0, ResponseFrame(1, 1, 0, 0));
  EXPECT_EQ(bench.faults.faults, (std::vector<std::string>{"QVM52401 device 4 Bit1 Fault",
                                                           "QVM52400 device 5 Bit0 Fault"}));
}

TEST_F(DaisyParserTest, ShortReplyRunsOnlyTheEndOfReplySteps) {
  bench.view.updateGuiControls = true;
  bench.view.mainTabVisible = true;
  bench.view.monitorTabVisible = true;
  session.image.StoreRead(0, 1, 132, 0x1, 1);
  Exchange(1, 1, 0, {0x12, 0x34});
  EXPECT_TRUE(bench.view.log.empty());
  EXPECT_EQ(bench.view.mainTabRefreshes, 1);
  EXPECT_EQ(bench.view.monitorRefreshes, 1);
  EXPECT_EQ(bench.faults.faults.size(), 1u);
}

TEST_F(DaisyParserTest, DisplaysRefreshOnlyWhenTheMenuItemIsTicked) {
  bench.view.mainTabVisible = true;
  bench.view.monitorTabVisible = true;
  bench.view.selectedTab = 0;
  bench.view.visibleSlots = 8;
  session.model.type[0].TabRegister[0][3] = 64;
  Exchange(1, 1, 0, ResponseFrame(1, 1, 0, 0x0ABC));
  EXPECT_EQ(bench.view.mainTabRefreshes, 0);
  EXPECT_TRUE(bench.view.slotUpdates.empty());

  bench.view.updateGuiControls = true;
  bench.view.mainTabVisible = false;
  Exchange(1, 1, 0, ResponseFrame(1, 1, 0, 0x0ABC));
  EXPECT_EQ(bench.view.mainTabRefreshes, 0);
  EXPECT_EQ(bench.view.monitorRefreshes, 1);
  EXPECT_EQ(bench.view.slotUpdates, (std::vector<std::pair<int, std::string>>{{3, "0ABC"}}));
}

TEST_F(DaisyParserTest, RegisterRowsShowOnlyTheSelectedDevice) {
  bench.view.updateGuiControls = true;
  bench.view.selectedTab = 1;
  bench.view.visibleSlots = 2;
  session.model.type[0].TabRegister[1][0] = 64;
  session.model.type[0].TabRegister[1][2] = 64;  // row 2 is hidden
  Exchange(2, 1, 0, ResponseFrame(2, 1, 0, 0x0111));
  EXPECT_TRUE(bench.view.slotUpdates.empty());
  Exchange(1, 1, 0, ResponseFrame(1, 1, 0, 0x0222));
  EXPECT_EQ(bench.view.slotUpdates, (std::vector<std::pair<int, std::string>>{{0, "0222"}}));
}

TEST_F(DaisyParserTest, ReplyCountBeyondTheReportIsAnUnrecognizedResponse) {
  std::vector<std::vector<std::uint8_t>> frames;
  for (int i = 0; i < 14; ++i) frames.push_back(ResponseFrame(1, 1, i, i));
  Exchange(1, 1, 0, Concat(frames));
  bench.view.log.clear();
  // A corrupt count claims more bytes than a report holds.
  session.exchange.ReplyCount = 200;
  DeviceCommand command;
  command.cat = 1;
  ParseDaisyChainResponse(session, command, "rcv,");
  EXPECT_EQ(session.image.at(0, 1, 64 + 13), 13);
  EXPECT_EQ(bench.faults.entries, std::vector<std::string>{"Unrecognized Response"});
  const auto lines = bench.view.LogLines();
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(lines.back(), "ParseDaisyChainResponse: QVM52400 unrecognized response");
  EXPECT_TRUE(bench.host.messages.empty());
}

TEST_F(DaisyParserTest, UnexpectedFailureIsReportedByTheErrorTrap) {
  bench.faults.failFaultStatus = true;
  FaultReply(2, 0x0008);
  ASSERT_EQ(bench.host.messages.size(), 1u);
  EXPECT_EQ(bench.host.messages[0].text,
            "Error in ParseDaisyChainResponse Err.Number = 9, Err.Description = Subscript out of "
            "range");
  EXPECT_EQ(session.image.at(0, 2, 132), 0x0008);
}

}  // namespace
}  // namespace qvm::test
