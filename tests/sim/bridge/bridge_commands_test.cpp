// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "board_test_support.h"
#include "sim/bridge/simulated_board.h"

namespace qvm::sim {
namespace {

using test::Request;

// Commands answered by the firmware itself; writes reply nothing, reads one report.
class BridgeCommandsTest : public ::testing::Test {
 protected:
  Report Ask(const Report& request) {
    EXPECT_TRUE(board.Write(request));
    Report reply{};
    EXPECT_EQ(board.Read(reply, 0), ReadResult::Report);
    EXPECT_EQ(board.PendingReplies(), 0u);
    return reply;
  }
  void Tell(const Report& request) {
    EXPECT_TRUE(board.Write(request));
    EXPECT_EQ(board.PendingReplies(), 0u);
  }

  VirtualClock clock;
  SimulatedBoard board{clock, "sim0"};
};

TEST_F(BridgeCommandsTest, FirmwareVersionPutsTheYearHighByteFirst) {
  board.Firmware().Settings().firmware = {2, 7, 0x07E8, 11, 30};
  const Report reply = Ask(Request({0}));
  EXPECT_EQ(reply[0], 1);
  EXPECT_EQ(reply[1], 0);
  EXPECT_EQ(reply[2], 2);
  EXPECT_EQ(reply[3], 7);
  EXPECT_EQ(reply[4], 0x07);
  EXPECT_EQ(reply[5], 0xE8);
  EXPECT_EQ(reply[6], 11);
  EXPECT_EQ(reply[7], 30);
}

TEST_F(BridgeCommandsTest, SpiModeBitsWriteThenRead) {
  EXPECT_EQ(Ask(Request({7, 1}))[2], 0);
  Tell(Request({7, 0, 0x05}));
  EXPECT_EQ(Ask(Request({7, 1}))[2], 0x05);
  Tell(Request({7, 0, 0xFF}));
  EXPECT_EQ(Ask(Request({7, 1}))[2], 0x07);
}

TEST_F(BridgeCommandsTest, SpiClockReportsSystemClockAndCode) {
  Report reply = Ask(Request({8, 1}));
  EXPECT_EQ(reply[2], 24);
  EXPECT_EQ(reply[3], 2);
  Tell(Request({8, 0, 23}));
  reply = Ask(Request({8, 1}));
  EXPECT_EQ(reply[2], 24);
  EXPECT_EQ(reply[3], 23);
}

TEST_F(BridgeCommandsTest, SetupBlockRoundTripCarriesTheSpiClockCode) {
  Tell(Request({20, 0, 0xFF, 0xFF, 0x80, 0x03, 0x80, 0x00, 0x05, 0x00, 0xC8, 0x77}));
  const Report reply = Ask(Request({20, 1}));
  const std::vector<std::uint8_t> block(reply.begin() + 2, reply.begin() + 11);
  EXPECT_EQ(block,
            (std::vector<std::uint8_t>{0xFF, 0xFF, 0x80, 0x03, 0x80, 0x00, 0x05, 0x00, 0xC8}));
  EXPECT_EQ(reply[11], 0);
  EXPECT_EQ(Ask(Request({8, 1}))[3], 0x05);
}

TEST_F(BridgeCommandsTest, SfrWriteThenReadEchoesAddressAndValue) {
  Tell(Request({0x12, 0, 0xA4, 0x3C}));
  const Report reply = Ask(Request({0x12, 1, 0xA4}));
  EXPECT_EQ(reply[1], 0);
  EXPECT_EQ(reply[2], 0xA4);
  EXPECT_EQ(reply[3], 0x3C);
  EXPECT_EQ(board.Firmware().Settings().sfr[0xA4], 0x3C);
}

TEST_F(BridgeCommandsTest, PortsComeUpAsDigitalInputsPulledHigh) {
  for (std::size_t p = 0; p < kPortDataSfr.size(); ++p) {
    EXPECT_EQ(Ask(Request({0x12, 1, kPortDataSfr[p]}))[3], 0xFF) << "port " << p;
    EXPECT_EQ(Ask(Request({0x12, 1, kPortOutputModeSfr[p]}))[3], 0x00) << "port " << p;
    EXPECT_EQ(Ask(Request({0x12, 1, kPortInputModeSfr[p]}))[3], 0xFF) << "port " << p;
  }
}

TEST_F(BridgeCommandsTest, I2cClockReadAndWrite) {
  Report reply = Ask(Request({5, 1}));
  EXPECT_EQ(reply[2], 12);
  EXPECT_EQ(reply[3], 120);
  Tell(Request({5, 0, 30}));
  EXPECT_EQ(Ask(Request({5, 1}))[3], 30);
}

TEST_F(BridgeCommandsTest, I2cOptionsWriteThenRead) {
  Tell(Request({4, 0, 3, 1, 0}));
  const Report reply = Ask(Request({4, 1}));
  EXPECT_EQ(reply[2], 3);
  EXPECT_EQ(reply[3], 1);
}

TEST_F(BridgeCommandsTest, SclToggleRepliesWithTheSdaState) {
  EXPECT_EQ(Ask(Request({4, 0, 1, 0, 1}))[2] & 1, 0);
  board.Firmware().Settings().sdaStuck = true;
  EXPECT_EQ(Ask(Request({4, 0, 1, 0, 1}))[2] & 1, 1);
  EXPECT_EQ(Ask(Request({4, 1}))[2], 1);
}

TEST_F(BridgeCommandsTest, UnknownCommandRepliesDeviceError) {
  for (std::uint8_t command : {1, 2, 3, 9, 19, 25, 0x13, 0xFF}) {
    const Report reply = Ask(Request({command, 1}));
    EXPECT_EQ(reply[0], 1) << int(command);
    EXPECT_EQ(reply[1], kStatusDeviceError) << int(command);
  }
}

TEST_F(BridgeCommandsTest, BadReadWriteSelectorRepliesDeviceErrorAndChangesNothing) {
  EXPECT_EQ(Ask(Request({7, 2, 0x07}))[1], kStatusDeviceError);
  EXPECT_EQ(Ask(Request({20, 9, 0x11}))[1], kStatusDeviceError);
  EXPECT_EQ(Ask(Request({7, 1}))[2], 0);
  EXPECT_EQ(Ask(Request({20, 1}))[2], 0);
}

}  // namespace
}  // namespace qvm::sim
