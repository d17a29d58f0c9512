// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <vector>

#include "protocol/crc4.h"
#include "protocol/device_command.h"

namespace qvm {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Daisy(int dev, int cat, int adr, std::int16_t dat) {
  Bytes frame;
  EncodeDaisyFrame(static_cast<std::uint8_t>(dev), static_cast<std::uint8_t>(cat),
                   static_cast<std::uint8_t>(adr), dat, frame);
  return frame;
}

TEST(Crc4, KnownFramesOfTheIdentifyProtocol) {
  EXPECT_EQ(Daisy(1, 3, 18, 0), (Bytes{0x13, 0x48, 0x0C}));  // RESET, device 1
  EXPECT_EQ(Daisy(0, 3, 9, 2), (Bytes{0x03, 0x24, 0x26}));   // Identify 2
  EXPECT_EQ(Daisy(0, 3, 9, 0), (Bytes{0x03, 0x24, 0x04}));   // Identify 0
}

TEST(Crc4, WriteFrameAndEverySingleBitFlip) {
  const Bytes frame = Daisy(2, 9, 0x10, 0x3FFF);
  ASSERT_EQ(frame, (Bytes{0x29, 0x43, 0xFF, 0xF5}));
  EXPECT_TRUE(CheckCrc4(frame));
  for (std::size_t byte = 0; byte < frame.size(); ++byte) {
    for (int bit = 0; bit < 8; ++bit) {
      Bytes flipped = frame;
      flipped[byte] ^= static_cast<std::uint8_t>(1 << bit);
      EXPECT_FALSE(CheckCrc4(flipped)) << "byte " << byte << " bit " << bit;
    }
  }
}

TEST(Crc4, AppendKeepsTheHighNibble) {
  Bytes frame = {0x13, 0x48, 0x0F};
  AppendCrc4(frame);
  EXPECT_EQ(frame[2], 0x0C);
  EXPECT_FALSE(CheckCrc4(Bytes{}));
}

TEST(DaisyFrame, ReadSendsOnlySixDataBitsAndWritesThemBack) {
  std::int16_t dat = 0x3FFF;
  Bytes frame;
  EncodeDaisyFrame(1, 2, 4, dat, frame);
  EXPECT_EQ(dat, 0x3F);
  ASSERT_EQ(frame.size(), 3u);
}

TEST(DaisyFrame, BlockWordKeepsDeviceAndPage) {
  Bytes word = {static_cast<std::uint8_t>((13 << 2) | 0x2), 0x34, 0x50};
  AppendCrc4(word);
  DeviceCommand decoded;
  decoded.dev = 7;
  decoded.cat = 1;
  ASSERT_TRUE(DecodeDaisyResponse(decoded, word));
  EXPECT_EQ(decoded.dev, 7);
  EXPECT_EQ(decoded.cat, 1);
  EXPECT_EQ(decoded.adr, 13);
  EXPECT_EQ(decoded.dat, 0x2345);
}

TEST(DaisyFrame, OutOfRangeFieldsAreMasked) {
  std::int16_t dat = 0x7FFF;
  Bytes frame;
  EncodeDaisyFrame(0x12, 0x19, 0x50, dat, frame);
  EXPECT_EQ(dat, 0x3FFF);
  DeviceCommand decoded;
  ASSERT_TRUE(DecodeDaisyResponse(decoded, frame));
  EXPECT_EQ(decoded.dev, 2);
  EXPECT_EQ(decoded.cat, 9);
  EXPECT_EQ(decoded.adr, 0x10);
  EXPECT_EQ(decoded.dat, 0x3FFF);
}

TEST(DaisyFrame, ResponseOfOtherLengthChangesNothing) {
  DeviceCommand decoded;
  decoded.adr = 9;
  EXPECT_FALSE(DecodeDaisyResponse(decoded, Bytes{0x01, 0x02}));
  EXPECT_FALSE(DecodeDaisyResponse(decoded, Bytes{0x01, 0x02, 0x03, 0x04, 0x05}));
  EXPECT_EQ(decoded.adr, 9);
}

TEST(NonDaisyFrame, ReadAndWriteLayouts) {
  std::int16_t dat = 0x3FFF;
  Bytes frame;
  EncodeNonDaisyFrame(1, 0x17, dat, frame);
  EXPECT_EQ(frame, (Bytes{0x15, 0xFF}));
  EXPECT_EQ(dat, 0x3F);
  dat = 0x3A5A;
  EncodeNonDaisyFrame(0xA, 22, dat, frame);
  EXPECT_EQ(frame, (Bytes{0xA5, 0xBA, 0x5A}));
}

}  // namespace
}  // namespace qvm
