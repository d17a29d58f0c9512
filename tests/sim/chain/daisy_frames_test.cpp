// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "chain_test_support.h"
#include "sim/chain/register_map.h"

namespace qvm::sim {
namespace {

using test::Daisy;
using test::Frames;

class DaisyFramesTest : public testing::Test {
 protected:
  DaisyFramesTest() : chain(test::Daisy52400(3, 2)) { test::NumberAll(chain); }
  SimulatedChain chain;
};

TEST(ResponseFramesTest, FullFrameHasTheWriteFrameLayout) {
  EXPECT_EQ(ResponseFrame(2, 9, 0x10, 0x3FFF), (Frame{0x29, 0x43, 0xFF, 0xF5}));
  const Frame word = BlockWordFrame(12, 0x2ABC);
  EXPECT_EQ(word[0], (12 << 2) | 2);
  EXPECT_EQ(word[1], 0xAB);
  EXPECT_EQ(word[2] >> 4, 0xC);
  EXPECT_TRUE(CheckCrc4(word));
}

TEST_F(DaisyFramesTest, ReadAnswersWithTheAddressedDevicesRegister) {
  chain.Device(0, 2).Poke(0x96, 0x2ABC);
  const auto answers = Frames(Daisy(chain, 0, 2, 2, 22));
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_TRUE(answers[0].crcGood);
  EXPECT_EQ(answers[0].dev, 2);
  EXPECT_EQ(answers[0].cat, 2);
  EXPECT_EQ(answers[0].adr, 22);
  EXPECT_EQ(answers[0].dat, 0x2ABC);
  // The other devices keep their own value.
  EXPECT_EQ(Frames(Daisy(chain, 0, 1, 2, 22))[0].dat, 0);
}

TEST_F(DaisyFramesTest, WriteStoresTheValueAndAnswersAck) {
  const auto answers = Frames(Daisy(chain, 0, 3, 8 + 2, 22, 0x3A5A));
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_TRUE(test::IsAck(answers[0]));
  EXPECT_EQ(answers[0].dev, 3);
  EXPECT_EQ(chain.Device(0, 3).Read(regs::kUser), 0x3A5A);
  EXPECT_EQ(Frames(Daisy(chain, 0, 3, 2, 22))[0].dat, 0x3A5A);
  EXPECT_EQ(chain.Device(0, 2).Read(regs::kUser), 0);
}

TEST_F(DaisyFramesTest, WriteToAReadOnlyRegisterAnswersNakAndStoresNothing) {
  const auto cells = Frames(Daisy(chain, 0, 1, 8 + 1, 1, 0x1234));
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_TRUE(test::IsNak(cells[0]));
  EXPECT_EQ(chain.Device(0, 1).Read(regs::kCell1), 0);

  const int serial = chain.Device(0, 1).Read(regs::kSerialLow);
  EXPECT_TRUE(test::IsNak(Frames(Daisy(chain, 0, 1, 8 + 2, 27, 0))[0]));
  EXPECT_EQ(chain.Device(0, 1).Read(regs::kSerialLow), serial);
}

TEST_F(DaisyFramesTest, FaultRegisterWritesOnlyClearBits) {
  SimulatedDevice& device = chain.Device(0, 1);
  device.Poke(regs::kOverVoltage, 0x0F0);
  EXPECT_TRUE(test::IsAck(Frames(Daisy(chain, 0, 1, 8 + 2, 0, 0x0FF))[0]));
  EXPECT_EQ(device.Read(regs::kOverVoltage), 0x0F0);  // no bit set by a write
  Daisy(chain, 0, 1, 8 + 2, 0, 0x030);
  EXPECT_EQ(device.Read(regs::kOverVoltage), 0x030);
  Daisy(chain, 0, 1, 8 + 2, 0, 0);
  EXPECT_EQ(device.Read(regs::kOverVoltage), 0);
}

TEST_F(DaisyFramesTest, BadCrcIsAnsweredWithNak) {
  std::int16_t data = 0;
  std::vector<std::uint8_t> frame;
  EncodeDaisyFrame(2, 2, 22, data, frame);
  for (int bit = 0; bit < 24; ++bit) {
    auto spoiled = frame;
    spoiled[static_cast<std::size_t>(bit / 8)] ^= static_cast<std::uint8_t>(1 << (bit % 8));
    const auto answers = Frames(test::Send(chain, test::kCmdDaisy, 0x00, spoiled));
    ASSERT_EQ(answers.size(), 1u) << "bit " << bit;
    EXPECT_TRUE(test::IsNak(answers[0])) << "bit " << bit;
  }
}

TEST_F(DaisyFramesTest, BadCrcOnAWriteStoresNothing) {
  std::int16_t data = 0x1111;
  std::vector<std::uint8_t> frame;
  EncodeDaisyFrame(1, 8 + 2, 22, data, frame);
  frame[3] ^= 0x01;
  EXPECT_TRUE(test::IsNak(Frames(test::Send(chain, test::kCmdDaisy, 0x80, frame))[0]));
  EXPECT_EQ(chain.Device(0, 1).Read(regs::kUser), 0);
}

TEST_F(DaisyFramesTest, ShortFrameIsAnsweredWithNak) {
  const auto answers = Frames(test::Send(chain, test::kCmdDaisy, 0x80, {0x19, 0x58}));
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_TRUE(test::IsNak(answers[0]));
}

TEST_F(DaisyFramesTest, FrameToAnAbsentDeviceNumberGetsNoAnswer) {
  EXPECT_TRUE(Daisy(chain, 0, 4, 2, 22).empty());
  EXPECT_TRUE(Daisy(chain, 1, 3, 2, 22).empty());
}

TEST_F(DaisyFramesTest, HeaderBitSixSelectsTheCompanionChain) {
  chain.Device(1, 2).Poke(0x96, 0x155);
  const auto answers = Frames(Daisy(chain, 1, 2, 2, 22));
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].dat, 0x155);
  EXPECT_EQ(Frames(Daisy(chain, 0, 2, 2, 22))[0].dat, 0);
}

TEST_F(DaisyFramesTest, BroadcastCommandIsAnsweredByEveryDeviceBottomFirst) {
  for (int broadcast : {0, 15}) {
    const auto answers = Frames(Daisy(chain, 0, broadcast, 3, regs::kScanVolts));
    ASSERT_EQ(answers.size(), 3u);
    for (int i = 0; i < 3; ++i) {
      EXPECT_TRUE(test::IsAck(answers[static_cast<std::size_t>(i)]));
      EXPECT_EQ(answers[static_cast<std::size_t>(i)].dev, i + 1);
    }
  }
  for (int position = 1; position <= 3; ++position) {
    EXPECT_NE(chain.Device(0, position).Read(regs::kCell1), 0);
  }
  // The companion chain was not addressed.
  EXPECT_EQ(chain.Device(1, 1).Read(regs::kCell1), 0);
}

TEST_F(DaisyFramesTest, BroadcastReadAnswersOnceForEachDevice) {
  for (int position = 1; position <= 3; ++position) chain.Device(0, position).Poke(0x96, position);
  const auto answers = Frames(Daisy(chain, 0, 0, 2, 22));
  ASSERT_EQ(answers.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(answers[i].dat, static_cast<int>(i) + 1);
}

TEST_F(DaisyFramesTest, UnknownCommandAnswersNak) {
  const auto answers = Frames(Daisy(chain, 0, 1, 3, 40));
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_TRUE(test::IsNak(answers[0]));
}

TEST_F(DaisyFramesTest, SerialNumbersAreDistinctPerDevice) {
  const auto serial = [this](int type, int dev) {
    const int low = Frames(Daisy(chain, type, dev, 2, 27))[0].dat;
    const int high = Frames(Daisy(chain, type, dev, 2, 28))[0].dat;
    return low + high * 16384;
  };
  EXPECT_NE(serial(0, 1), 0);
  EXPECT_NE(serial(0, 1), serial(0, 2));
  EXPECT_NE(serial(0, 1), serial(1, 1));
  EXPECT_LT(serial(1, 2), 1 << 28);
}

}  // namespace
}  // namespace qvm::sim
