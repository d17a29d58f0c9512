// SPDX-License-Identifier: MIT
#include "link/i2c_settings.h"

#include <gtest/gtest.h>

#include "link/packet_exchange.h"
#include "link_fixture.h"

namespace qvm::test {
namespace {

class I2cSettingsTest : public LinkFixture {
 protected:
  I2cSettingsTest() { bridge.OpenBridge(); }

  sim::BridgeSettings& Settings() { return board->Firmware().Settings(); }
  std::vector<Report> Requests(std::uint8_t command, std::uint8_t selector) const {
    std::vector<Report> found;
    for (const Report& report : board->ReceivedReports()) {
      if (report[1] == command && report[2] == selector) found.push_back(report);
    }
    return found;
  }
};

TEST(I2cSlaveAddress, TypedAddressLosesItsReadBit) {
  EXPECT_EQ(ParseSlaveAddress("51"), 0x50);
  EXPECT_EQ(ParseSlaveAddress("a1"), 0xA0);
  EXPECT_EQ(ParseSlaveAddress(" FF "), 0xFE);
  EXPECT_EQ(ParseSlaveAddress("7"), 0x06);
  EXPECT_EQ(ParseSlaveAddress(""), std::nullopt);
  EXPECT_EQ(ParseSlaveAddress("5G"), std::nullopt);
  EXPECT_EQ(ParseSlaveAddress("100"), std::nullopt);
  EXPECT_EQ(ParseSlaveAddress("-2"), std::nullopt);
}

TEST(I2cSlaveAddress, BoxesStandForAddressBitsOneToSeven) {
  const std::array<bool, 7> bits = SlaveAddressBits(0x50);
  EXPECT_EQ(bits, (std::array<bool, 7>{false, false, false, true, false, true, false}));
  const std::array<bool, 7> all = {true, true, true, true, true, true, true};
  EXPECT_EQ(SlaveAddressBits(0xFE), all);
  EXPECT_EQ(SlaveAddressBits(0x01), (std::array<bool, 7>{}));
  for (unsigned address = 0; address <= 0xFE; address += 2) {
    const auto byte = static_cast<std::uint8_t>(address);
    EXPECT_EQ(SlaveAddressFromBits(SlaveAddressBits(byte)), byte);
  }
}

TEST(I2cClockList, TwelveMegahertzListsDividers120DownTo1) {
  const std::vector<I2cClockItem> items = I2cClockList(12);
  ASSERT_EQ(items.size(), 120u);
  EXPECT_EQ(items.front().text, "100");
  EXPECT_EQ(items.front().divider, 120);
  EXPECT_EQ(items[1].text, "100");  // 12000 / 119 = 100 after integer division
  EXPECT_EQ(items[1].divider, 119);
  EXPECT_EQ(items.back().text, "12000");
  EXPECT_EQ(items.back().divider, 1);
  for (const I2cClockItem& item : items) EXPECT_NE(item.text, "99");
  EXPECT_EQ(I2cClockListIndex(items, 121), -1);
  EXPECT_EQ(I2cClockListIndex(items, 120), 0);
  EXPECT_EQ(I2cClockListIndex(items, 1), 119);
}

TEST(I2cClockList, FastBaseClockReachesTheLargestDivider) {
  const std::vector<I2cClockItem> items = I2cClockList(48);
  ASSERT_EQ(items.size(), 256u);
  EXPECT_EQ(items.front().divider, 256);
  EXPECT_EQ(items.front().text, "187");
  EXPECT_TRUE(I2cClockList(0).empty());
}

TEST(I2cReadData, PlacedFromTheRegisterAddressUpToBox63) {
  EXPECT_EQ(PlaceReadData(0, 8).first, 0);
  EXPECT_EQ(PlaceReadData(0, 8).count, 8);
  EXPECT_EQ(PlaceReadData(0x10, 4).first, 0x10);
  EXPECT_EQ(PlaceReadData(60, 10).count, 4);
  EXPECT_EQ(PlaceReadData(63, 2).count, 1);
  EXPECT_EQ(PlaceReadData(64, 2).count, 0);
  EXPECT_EQ(PlaceReadData(0xFF, 62).count, 0);
}

TEST_F(I2cSettingsTest, ClockReadsAndWritesTheDivider) {
  Settings().i2cDivider = 30;
  const I2cClockReading reading = ReadI2cClock(bridge);
  EXPECT_EQ(reading.baseClockMhz, 12);
  EXPECT_EQ(reading.divider, 30);

  EXPECT_EQ(WriteI2cClock(bridge, 256), kTransferSuccess);
  EXPECT_EQ(Settings().i2cDivider, 0);
  EXPECT_EQ(ReadI2cClock(bridge).divider, 256);
  EXPECT_EQ(WriteI2cClock(bridge, 120), kTransferSuccess);
  EXPECT_EQ(Settings().i2cDivider, 120);

  board->Faults().failWrites = 1;
  EXPECT_EQ(WriteI2cClock(bridge, 60), 0);
  EXPECT_EQ(host.retryPrompts.size(), 1u);
  EXPECT_EQ(Settings().i2cDivider, 120);
}

TEST_F(I2cSettingsTest, OptionsTravelAsBitsAndComeBack) {
  EXPECT_TRUE(WriteI2cOptions(bridge, {true, true, false}));
  const Report& sent = board->ReceivedReports().back();
  EXPECT_EQ(sent[1], kCmdI2cOptions);
  EXPECT_EQ(sent[2], 0);
  EXPECT_EQ(sent[3], 3);
  EXPECT_EQ(sent[4], 0);
  EXPECT_EQ(sent[5], 0);
  EXPECT_EQ(Settings().i2cOptions, 3);

  Settings().i2cOptions = 0x02;
  Settings().i2cExtHold = 1;
  const I2cOptions read = ReadI2cOptions(bridge);
  EXPECT_FALSE(read.repeatedStart);
  EXPECT_TRUE(read.stopWriteBeforeRead);
  EXPECT_TRUE(read.extendHold);
}

TEST_F(I2cSettingsTest, OptionsFilledFromTheBoardAreNotWrittenBack) {
  Settings().i2cOptions = 0x01;
  I2cPageState state;
  int writesDuringFill = -1;
  const I2cOptions shown = LoadI2cOptions(bridge, state, [&](const I2cOptions& options) {
    writesDuringFill = I2cOptionsChanged(bridge, state, options) ? 1 : 0;
  });
  EXPECT_EQ(writesDuringFill, 0);
  EXPECT_TRUE(shown.repeatedStart);
  EXPECT_FALSE(state.OptionsUpdating);
  EXPECT_TRUE(Requests(kCmdI2cOptions, 0).empty());

  EXPECT_TRUE(I2cOptionsChanged(bridge, state, {false, false, true}));
  ASSERT_EQ(Requests(kCmdI2cOptions, 0).size(), 1u);
  EXPECT_EQ(Settings().i2cExtHold, 1);
  EXPECT_EQ(Settings().i2cOptions, 0);
}

TEST_F(I2cSettingsTest, SclToggleReportsTheSdaState) {
  SclToggleResult result = ToggleScl(bridge, {true, false, true});
  EXPECT_TRUE(result.replied);
  EXPECT_FALSE(result.sdaError);
  EXPECT_EQ(board->ReceivedReports().back()[5], 1);
  EXPECT_EQ(Settings().i2cOptions, 1);

  Settings().sdaStuck = true;
  EXPECT_TRUE(ToggleScl(bridge, {}).sdaError);

  // No answer: the link prompt, and no SDA error made up from the request's bytes.
  board->Faults().dropReplies = 1;
  result = ToggleScl(bridge, {true, true, true});
  EXPECT_TRUE(result.sent);
  EXPECT_FALSE(result.replied);
  EXPECT_FALSE(result.sdaError);
  EXPECT_EQ(host.retryPrompts.size(), 1u);
}

TEST_F(I2cSettingsTest, ScanStopsAtTheEepromAndWaitsAfterEachAddress) {
  std::vector<std::uint8_t> shown;
  const std::int64_t start = clock.NowMs();
  const I2cScanResult result =
      ScanI2cAddresses(bridge, {}, [&](std::uint8_t address) { shown.push_back(address); });
  ASSERT_TRUE(result.found);
  EXPECT_EQ(*result.found, sim::I2cEeprom::kAddress);
  EXPECT_EQ(result.status, kTransferSuccess);
  ASSERT_EQ(shown.size(), 81u);
  EXPECT_EQ(shown.front(), 0x00);
  EXPECT_EQ(shown[1], 0x02);
  EXPECT_EQ(shown.back(), 0xA0);
  EXPECT_GE(clock.NowMs() - start, 81 * 100);
  EXPECT_EQ(board->ReceivedReports().back()[2], 0xA1);
}

TEST_F(I2cSettingsTest, ScanWithoutASlaveTriesEveryAddress) {
  Settings().i2cEepromFitted = false;
  std::vector<std::uint8_t> shown;
  const std::uint8_t reg[] = {0x10};
  const I2cScanResult result =
      ScanI2cAddresses(bridge, reg, [&](std::uint8_t address) { shown.push_back(address); });
  EXPECT_FALSE(result.found);
  EXPECT_EQ(result.status, kTransferDeviceError);
  ASSERT_EQ(shown.size(), 128u);
  EXPECT_EQ(shown.back(), 0xFE);
  const Report& last = board->ReceivedReports().back();
  EXPECT_EQ(last[4], 1);
  EXPECT_EQ(last[5], 0x10);
  EXPECT_EQ(I2cAddressNotFoundText(),
            "Velquist HID USB (PID 2035)  I2C address not found. Close GUI?");
}

TEST_F(I2cSettingsTest, ScanOnALostLinkFindsNothing) {
  board->Faults().dropReplies = sim::kAlways;
  int shown = 0;
  const I2cScanResult result = ScanI2cAddresses(bridge, {}, [&](std::uint8_t) { ++shown; });
  EXPECT_FALSE(result.found);
  EXPECT_EQ(result.status, kTransferReadTimeout);
  EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace qvm::test
