// SPDX-License-Identifier: MIT
#include "model/decoders.h"

#include <gtest/gtest.h>

#include <memory>

namespace qvm {
namespace {

class DecodersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& scale = model->type[0].RegScale;
    scale[0x40] = 0.0036621;
    scale[0x41] = 0.000610352;
    scale[0x50] = 0.0217;
    scale[0x51] = 0.000305176;
    scale[0x90] = 0.0005;
    scale[0x91] = 0.00025;
    scale[0x9A] = 0.05;
    // Companion scales must not leak into the decoders.
    model->type[1].RegScale[0x41] = 99.0;
    model->type[1].RegScale[0x50] = 99.0;
  }

  std::unique_ptr<RegisterModel> model = std::make_unique<RegisterModel>();
  std::unique_ptr<RegisterImage> image = std::make_unique<RegisterImage>();
  SharedState state;
};

TEST_F(DecodersTest, CellVoltageIsSignedFourteenBit) {
  const double scale = 0.000610352;
  EXPECT_DOUBLE_EQ(DecodeCellVoltage(*model, 0x1FFF), 8191 * scale);
  EXPECT_DOUBLE_EQ(DecodeCellVoltage(*model, 0x2000), -8192 * scale);
  EXPECT_DOUBLE_EQ(DecodeCellVoltage(*model, 0x3FFF), -1 * scale);
  EXPECT_DOUBLE_EQ(DecodeCellVoltage(*model, 0), 0.0);
}

TEST_F(DecodersTest, PackAndExternalInputsAreUnsignedCounts) {
  EXPECT_DOUBLE_EQ(DecodeVbatVoltage(*model, 0x3FFF), 16383 * 0.0036621);
  EXPECT_DOUBLE_EQ(DecodeExternalTemp(*model, 0x3FFF), 16383 * 0.000305176);
  EXPECT_DOUBLE_EQ(DecodeExternalTemp(*model, 0x2000), 8192 * 0.000305176);
}

TEST_F(DecodersTest, InternalTemperatureIsOffsetByTheCalibrationWord) {
  EXPECT_EQ(DecodeInternalTemp(*model, state, state.Tint25), 25.0);
  model->type[0].RegScale[0x50] = 123.456;
  EXPECT_EQ(DecodeInternalTemp(*model, state, state.Tint25), 25.0);
  state.Tint25 = 9000;
  EXPECT_DOUBLE_EQ(DecodeInternalTemp(*model, state, 9100), 100 * 123.456 + 25);
  EXPECT_DOUBLE_EQ(DecodeInternalTemp(*model, state, 8900), -100 * 123.456 + 25);
}

TEST_F(DecodersTest, ThresholdsUseTheirOwnScales) {
  EXPECT_DOUBLE_EQ(DecodeOverVoltageLimit(*model, 8400), 4.2);
  EXPECT_DOUBLE_EQ(DecodeUnderVoltageLimit(*model, 10000), 2.5);
  EXPECT_DOUBLE_EQ(DecodeInternalTempLimit(*model, state, state.Tint25 + 1200), 85.0);
  EXPECT_EQ(DecodeInternalTempLimit(*model, state, state.Tint25), 25.0);
}

TEST_F(DecodersTest, BalanceFieldsComeFromTheirBits) {
  // Mode 2, wait code 5, bank 3, enabled.
  image->StoreRead(0, 2, 0x93, static_cast<std::int16_t>(2 | (5 << 2) | (3 << 5) | 0x200), 1);
  image->StoreRead(0, 2, 0x94, 0x0805, 1);  // cells 1, 3 and 12
  image->StoreRead(0, 2, 0x95, static_cast<std::int16_t>((100 << 7) | 0x7F), 1);
  const BalanceFields fields = DecodeBalanceFields(*image, 2);
  EXPECT_EQ(fields.mode, 2);
  EXPECT_EQ(fields.wait, 5);
  EXPECT_EQ(fields.timeout, 100);
  EXPECT_TRUE(fields.enabled);
  for (int cell = 0; cell < 12; ++cell) {
    EXPECT_EQ(fields.cellSwitch[cell], cell == 0 || cell == 2 || cell == 11) << cell;
  }

  image->StoreRead(0, 3, 0x93, 0x1FF, 1);
  const BalanceFields other = DecodeBalanceFields(*image, 3);
  EXPECT_EQ(other.mode, 3);
  EXPECT_EQ(other.wait, 7);
  EXPECT_FALSE(other.enabled);
  EXPECT_EQ(other.timeout, 0);
}

TEST(BalanceFieldRules, TimeoutIgnoresTheWatchdogBits) {
  EXPECT_EQ(BalanceTimeout(0x3F80), 127);
  EXPECT_EQ(BalanceTimeout(0x007F), 0);
  EXPECT_EQ(BalanceWait(0x1C), 7);
  EXPECT_EQ(BalanceMode(0x3FFC), 0);
  EXPECT_FALSE(BalanceSwitch(0x0800, 10));
  EXPECT_TRUE(BalanceSwitch(0x0800, 11));
}

}  // namespace
}  // namespace qvm
