// SPDX-License-Identifier: MIT
#include "link/spi_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "link/packet_exchange.h"
#include "link_fixture.h"

namespace qvm::test {
namespace {

class SpiSettingsTest : public LinkFixture {
 protected:
  SpiSettingsTest() { bridge.OpenBridge(); }

  sim::BridgeSettings& Settings() { return board->Firmware().Settings(); }
  const Report& LastRequest() const { return board->ReceivedReports().back(); }
};

TEST_F(SpiSettingsTest, FirmwareVersionCaptionNamesTheMonth) {
  Settings().firmware = {1, 2, 2024, 3, 5};
  const BridgeFirmwareVersion version = ReadFirmwareVersion(bridge);
  EXPECT_EQ(FirmwareVersionCaption(version), "Firmware Version 1.2 - 2024/March/5");
  EXPECT_EQ(LastRequest()[0], 1);
  EXPECT_EQ(LastRequest()[1], kCmdFirmwareVersion);
  EXPECT_EQ(LastRequest()[2], 0);

  Settings().firmware = {10, 0, 1999, 12, 31};
  EXPECT_EQ(FirmwareVersionCaption(ReadFirmwareVersion(bridge)),
            "Firmware Version 10.0 - 1999/December/31");
  Settings().firmware = {1, 0, 2024, 1, 9};
  EXPECT_EQ(FirmwareVersionCaption(ReadFirmwareVersion(bridge)),
            "Firmware Version 1.0 - 2024/January/9");
}

TEST_F(SpiSettingsTest, FirmwareVersionOutsideTheCalendarShowsTheMonthNumber) {
  EXPECT_EQ(FirmwareVersionCaption({1, 4, 2024, 13, 2}), "Firmware Version 1.4 - 2024/13/2");
  EXPECT_EQ(FirmwareVersionCaption({}), "Firmware Version 0.0 - 0/0/0");
}

TEST_F(SpiSettingsTest, SilentBridgePromptsAndLeavesACleanBuffer) {
  board->Faults().dropReplies = sim::kAlways;
  bridge.ReportBuffer.fill(0x77);
  EXPECT_FALSE(ReadBridgeSetting(bridge, kCmdSpiClock, 1));
  ASSERT_EQ(host.retryPrompts.size(), 1u);
  EXPECT_EQ(host.retryPrompts[0].text,
            "Please check USB connection.\r\ncheckStatus: the bridge opened but never answered");
  EXPECT_EQ(bridge.ReportBuffer[2], 0);
  EXPECT_EQ(bridge.ReportBuffer[3], 0);
}

TEST_F(SpiSettingsTest, FailedRequestIsNotFollowedByARead) {
  board->Faults().failWrites = 1;
  const SpiClockReading reading = ReadSpiClock(bridge);
  EXPECT_EQ(host.retryPrompts.size(), 1u);
  EXPECT_EQ(reading.systemClockMhz, 0);
  EXPECT_EQ(reading.code, 0);
  EXPECT_TRUE(board->ReceivedReports().empty());

  // The request's read selector (1 in byte 2) must not come back as a ticked polarity bit.
  board->Faults().failWrites = 1;
  EXPECT_FALSE(ReadSpiMode(bridge).polarity);
}

TEST_F(SpiSettingsTest, StaleRepliesAreFlushedBeforeTheRequest) {
  Settings().spiModeBits = 0x06;
  bridge.FillReport(0);
  bridge.SetReportId();
  bridge.ReportBuffer[1] = kCmdSpiClock;
  bridge.ReportBuffer[2] = 1;
  ASSERT_TRUE(bridge.WriteReport());
  ASSERT_EQ(board->PendingReplies(), 1u);

  const SpiModeBits bits = ReadSpiMode(bridge);
  EXPECT_FALSE(bits.polarity);
  EXPECT_TRUE(bits.phase);
  EXPECT_TRUE(bits.slaveSelect);
  EXPECT_EQ(board->PendingReplies(), 0u);
}

TEST_F(SpiSettingsTest, ModeBitsAreWrittenWithoutAwaitingAReply) {
  ASSERT_TRUE(WriteSpiMode(bridge, {true, false, true}));
  EXPECT_EQ(Settings().spiModeBits, 0x05);
  EXPECT_EQ(LastRequest()[1], kCmdSpiMode);
  EXPECT_EQ(LastRequest()[2], 0);
  EXPECT_EQ(LastRequest()[3], 0x05);
  EXPECT_EQ(LastRequest()[4], 0);
  EXPECT_EQ(board->PendingReplies(), 0u);

  for (std::uint8_t byte = 0; byte < 8; ++byte) {
    EXPECT_EQ(SpiModeByte(SpiModeFromByte(byte)), byte);
  }
  EXPECT_EQ(SpiModeByte({false, true, false}), 2);
}

TEST_F(SpiSettingsTest, ClockIsReadAndWritten) {
  SpiClockReading reading = ReadSpiClock(bridge);
  EXPECT_EQ(reading.systemClockMhz, 24);
  EXPECT_EQ(reading.code, 2);

  EXPECT_EQ(WriteSpiClock(bridge, 11), kTransferSuccess);
  EXPECT_EQ(LastRequest()[1], kCmdSpiClock);
  EXPECT_EQ(LastRequest()[2], 0);
  EXPECT_EQ(LastRequest()[3], 11);
  EXPECT_EQ(ReadSpiClock(bridge).code, 11);
  EXPECT_TRUE(host.retryPrompts.empty());

  board->Faults().failWrites = 1;
  EXPECT_EQ(WriteSpiClock(bridge, 5), 0);
  EXPECT_EQ(host.retryPrompts.size(), 1u);
  EXPECT_EQ(view.benchUnloads, 1);
}

TEST(SpiClockList, TwentyFourMegahertzBridge) {
  const auto items = SpiClockList(24);
  ASSERT_EQ(items.size(), 24u);
  EXPECT_EQ(items.front().text, "0.5");
  EXPECT_EQ(items.front().code, 23);
  EXPECT_EQ(items.back().text, "12");
  EXPECT_EQ(items.back().code, 0);
  const int index = SpiClockListIndex(2);
  ASSERT_EQ(index, 21);
  EXPECT_EQ(items[static_cast<std::size_t>(index)].text, "4");
  EXPECT_EQ(items[static_cast<std::size_t>(index)].code, 2);
  // 24000 / 46 = 521 kHz, the remainder dropped before the division by 1000.
  EXPECT_EQ(items[1].text, "0.521");
  EXPECT_EQ(items[SpiClockListIndex(6)].text, "1.714");
  EXPECT_EQ(items[SpiClockListIndex(11)].text, "1");
}

TEST(SpiClockList, OtherSystemClocksAndUnlistedCodes) {
  EXPECT_EQ(SpiClockList(48).back().text, "24");
  EXPECT_EQ(SpiClockList(48).front().text, "1");
  EXPECT_EQ(SpiClockList(0).front().text, "0");
  EXPECT_EQ(SpiClockList(255)[SpiClockListIndex(3)].text, "31.875");
  EXPECT_EQ(SpiClockListIndex(23), 0);
  EXPECT_EQ(SpiClockListIndex(24), -1);
  EXPECT_EQ(SpiClockListIndex(59), -1);
}

TEST(SpiClockOptions, CodesOfTheDialogOptions) {
  EXPECT_EQ(SpiClockCodeForOption(0), 59);
  EXPECT_EQ(SpiClockCodeForOption(1), 23);
  EXPECT_EQ(SpiClockCodeForOption(2), 11);
  EXPECT_EQ(SpiClockCodeForOption(3), 5);
  EXPECT_EQ(SpiClockCodeForOption(4), 2);
  EXPECT_EQ(SpiClockCodeForOption(9), 2);
  EXPECT_EQ(SpiClockCodeForOption(-1), 2);
  EXPECT_STREQ(kSpiClockOptions[1].caption, "500 kHz");
}

TEST(SpiTimeout, ClampedAndDoubled) {
  const SpiTimeoutBytes low = SpiTimeoutToBytes(50);
  EXPECT_EQ(low.high, 0x00);
  EXPECT_EQ(low.low, 0xC8);
  const SpiTimeoutBytes high = SpiTimeoutToBytes(40000);
  EXPECT_EQ(high.high, 0xEA);
  EXPECT_EQ(high.low, 0x60);
  const SpiTimeoutBytes kept = SpiTimeoutToBytes(5272);
  EXPECT_EQ(kept.high, 0x29);
  EXPECT_EQ(kept.low, 0x30);
  EXPECT_EQ(SpiTimeoutToBytes(100).low, 200);
  EXPECT_EQ(SpiTimeoutToBytes(0).low, 200);
  EXPECT_EQ(SpiTimeoutToBytes(-5).low, 200);
  EXPECT_EQ(SpiTimeoutToBytes(std::numeric_limits<double>::infinity()).high, 0xEA);
  EXPECT_EQ(SpiTimeoutToBytes(std::nan("")).low, 200);
}

TEST(SpiTimeout, ShownFromTheStoredBytes) {
  EXPECT_EQ(SpiTimeoutFromBytes(0x29, 0x30), 5272);
  EXPECT_EQ(SpiTimeoutFromBytes(0x00, 0xC8), 100);
  EXPECT_EQ(SpiTimeoutFromBytes(0xEA, 0x60), 30000);
  for (int us : {100, 101, 255, 256, 12345, 29999, 30000}) {
    const SpiTimeoutBytes bytes = SpiTimeoutToBytes(us);
    EXPECT_EQ(SpiTimeoutFromBytes(bytes.high, bytes.low), us);
  }
}

TEST_F(SpiSettingsTest, RawWriteReadsBackTheClockedInBytes) {
  RawSpiWrite write;
  write.readBack = true;
  write.clockPhaseChange = true;
  write.clockPhaseChangeByte = 2;
  write.data = {0xA1, 0xB2, 0xC3};
  const RawSpiResult result = SendRawSpiWrite(bridge, write);
  EXPECT_TRUE(result.sent);
  EXPECT_TRUE(result.replied);

  const Report& request = LastRequest();
  EXPECT_EQ(request[0], 1);
  EXPECT_EQ(request[1], kCmdSpiDaisy);
  EXPECT_EQ(request[2], 0);
  EXPECT_EQ(request[3], 1);
  EXPECT_EQ(request[4], 1);
  EXPECT_EQ(request[5], 2);
  EXPECT_EQ(request[6], 3);
  EXPECT_EQ(request[7], 0xA1);
  EXPECT_EQ(request[9], 0xC3);

  EXPECT_EQ(result.reply[0], 1);
  EXPECT_EQ(result.reply[2], 0);
  EXPECT_EQ(result.reply[3], 4);
  EXPECT_EQ(result.reply[5], 0xA1);
  EXPECT_EQ(result.reply[6], 0xB2);
  EXPECT_EQ(result.reply[7], 0xC3);
  EXPECT_EQ(result.reply[8], 0);
}

TEST_F(SpiSettingsTest, RawWriteKeepsTheBytesPastItsDataAndCapsTheCount) {
  bridge.ReportBuffer.fill(0x5A);
  RawSpiWrite write;
  write.data = {0x01, 0x02};
  const RawSpiResult result = SendRawSpiWrite(bridge, write);
  EXPECT_TRUE(result.sent);
  EXPECT_FALSE(result.replied);
  EXPECT_EQ(board->PendingReplies(), 0u);
  EXPECT_EQ(LastRequest()[3], 0);
  EXPECT_EQ(LastRequest()[9], 0x5A);
  EXPECT_EQ(LastRequest()[63], 0x5A);

  write.data.assign(70, 0x33);
  SendRawSpiWrite(bridge, write);
  EXPECT_EQ(LastRequest()[6], 57);
  EXPECT_EQ(LastRequest()[63], 0x33);
}

TEST_F(SpiSettingsTest, RawWriteThatFailsIsNotReadBack) {
  board->Faults().failWrites = 1;
  RawSpiWrite write;
  write.readBack = true;
  write.data = {0x10};
  const RawSpiResult result = SendRawSpiWrite(bridge, write);
  EXPECT_FALSE(result.sent);
  EXPECT_FALSE(result.replied);
  EXPECT_EQ(host.retryPrompts.size(), 1u);
  EXPECT_EQ(result.reply, (std::array<std::uint8_t, kRawSpiReplyBytes>{}));
}

}  // namespace
}  // namespace qvm::test
