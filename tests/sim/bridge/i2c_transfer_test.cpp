// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "board_test_support.h"
#include "sim/bridge/simulated_board.h"

namespace qvm::sim {
namespace {

using test::Request;

class I2cTransferTest : public ::testing::Test {
 protected:
  Report Ask(const Report& request) {
    EXPECT_TRUE(board.Write(request));
    Report reply{};
    EXPECT_EQ(board.Read(reply, 0), ReadResult::Report);
    return reply;
  }

  VirtualClock clock;
  SimulatedBoard board{clock, "sim0"};
};

TEST_F(I2cTransferTest, WriteThenReadBackAtTheSameAddress) {
  // Write 3 bytes at 0x10 (one address byte), then read 4 from 0x0F.
  const Report written = Ask(Request({6, 0xA0, 3, 1, 0x10, 0xDE, 0xAD, 0xBE}));
  EXPECT_EQ(written[1], 0);

  const Report reply = Ask(Request({6, 0xA1, 4, 1, 0x0F}));
  EXPECT_EQ(reply[1], 0);
  EXPECT_EQ(reply[2], 0xFF);  // erased
  EXPECT_EQ(reply[3], 0xDE);
  EXPECT_EQ(reply[4], 0xAD);
  EXPECT_EQ(reply[5], 0xBE);
  EXPECT_EQ(reply[6], 0);
}

TEST_F(I2cTransferTest, TwoAddressBytesUseTheLowOne) {
  Ask(Request({6, 0xA0, 1, 2, 0x00, 0x42, 0x99}));
  EXPECT_EQ(board.Firmware().Eeprom().Bytes()[0x42], 0x99);
  EXPECT_EQ(Ask(Request({6, 0xA1, 1, 2, 0x00, 0x42}))[2], 0x99);
}

TEST_F(I2cTransferTest, ReadWithoutAddressGoesOnFromThePointer) {
  auto& bytes = board.Firmware().Eeprom().Bytes();
  bytes[0x20] = 1;
  bytes[0x21] = 2;
  bytes[0x22] = 3;
  EXPECT_EQ(Ask(Request({6, 0xA1, 2, 1, 0x20}))[3], 2);
  const Report next = Ask(Request({6, 0xA1, 1, 0}));
  EXPECT_EQ(next[2], 3);
}

TEST_F(I2cTransferTest, WriteWithoutAddressTakesTheFirstDataByteAsAddress) {
  Ask(Request({6, 0xA0, 3, 0, 0x30, 0x0A, 0x0B}));
  EXPECT_EQ(board.Firmware().Eeprom().Bytes()[0x30], 0x0A);
  EXPECT_EQ(board.Firmware().Eeprom().Bytes()[0x31], 0x0B);
}

TEST_F(I2cTransferTest, AddressesWrapAtTheEndOfTheEeprom) {
  Ask(Request({6, 0xA0, 2, 1, 0xFF, 0x11, 0x22}));
  EXPECT_EQ(board.Firmware().Eeprom().Bytes()[0xFF], 0x11);
  EXPECT_EQ(board.Firmware().Eeprom().Bytes()[0x00], 0x22);
}

TEST_F(I2cTransferTest, LongestReadFillsTheReply) {
  const Report reply = Ask(Request({6, 0xA1, 255, 1, 0x00}));
  EXPECT_EQ(reply[1], 0);
  EXPECT_EQ(reply[63], 0xFF);
}

TEST_F(I2cTransferTest, WriteCountsBeyondTheReportAreCut) {
  Report request = Request({6, 0xA0, 200, 1, 0x00});
  request.back() = 0x7E;
  EXPECT_EQ(Ask(request)[1], 0);
  EXPECT_EQ(board.Firmware().Eeprom().Bytes()[57], 0x7E);
  EXPECT_EQ(board.Firmware().Eeprom().Bytes()[58], 0xFF);
}

TEST_F(I2cTransferTest, OtherAddressesAreNotAcknowledged) {
  for (std::uint8_t address : {0x00, 0x50, 0xA2, 0xA3, 0xFE}) {
    const Report reply = Ask(Request({6, address, 1, 1, 0x00, 0x55}));
    EXPECT_NE(reply[1], 0) << int(address);
  }
  // Nothing reached the EEPROM.
  EXPECT_EQ(board.Firmware().Eeprom().Bytes()[0], 0xFF);
}

TEST_F(I2cTransferTest, WithoutTheEepromNoAddressIsAcknowledged) {
  board.Firmware().Settings().i2cEepromFitted = false;
  EXPECT_NE(Ask(Request({6, 0xA1, 1, 1, 0x00}))[1], 0);
  EXPECT_NE(Ask(Request({6, 0xA0, 1, 1, 0x00, 0x55}))[1], 0);
  EXPECT_EQ(board.Firmware().Eeprom().Bytes()[0], 0xFF);
  board.Firmware().Settings().i2cEepromFitted = true;
  EXPECT_EQ(Ask(Request({6, 0xA1, 1, 1, 0x00}))[1], 0);
}

}  // namespace
}  // namespace qvm::sim
