// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "chain_test_support.h"
#include "sim/chain/register_map.h"

namespace qvm::sim {
namespace {

ChainLayout Single(int primary, int companion) {
  ChainLayout chainLayout;
  chainLayout.mode = ChainMode::kSingle;
  chainLayout.primaryCount = primary;
  chainLayout.companionCount = companion;
  return chainLayout;
}

// A single-device frame as the console sends it: a read gets two zero fill bytes, and both
// get the one extra byte.
std::vector<std::uint8_t> SendSingle(SimulatedChain& chain, int type, int cat, int adr, int dat = 0,
                                     bool fill = true) {
  std::int16_t data = static_cast<std::int16_t>(dat);
  std::vector<std::uint8_t> frame;
  EncodeNonDaisyFrame(static_cast<std::uint8_t>(cat), static_cast<std::uint8_t>(adr), data, frame);
  if ((cat & 8) == 0 && fill) frame.insert(frame.end(), {0, 0});
  frame.push_back(0);
  return test::Send(chain, test::kCmdSingle, type != 0 ? 0x40 : 0x00, frame);
}

int ValueOf(const std::vector<std::uint8_t>& answer) {
  return answer.size() < 4 ? -1 : (answer[2] & 0x3F) * 256 + answer[3];
}

TEST(SingleDeviceTest, ReadCarriesTheValueInBytesTwoAndThree) {
  SimulatedChain chain(Single(1, 0));
  chain.Device(0, 1).Poke(regs::kOverVoltageThreshold, 0x3E21);
  const auto answer = SendSingle(chain, 0, 2, 0x10);
  ASSERT_EQ(answer.size(), 5u);  // as many bytes as were clocked out
  EXPECT_EQ(answer[2] & 0xC0, 0);
  EXPECT_EQ(ValueOf(answer), 0x3E21);
}

TEST(SingleDeviceTest, UserRegisterPresenceTestRoundTrips) {
  SimulatedChain chain(Single(1, 1));
  const int saved = ValueOf(SendSingle(chain, 0, 2, 22));
  const auto written = SendSingle(chain, 0, 8 + 2, 22, 14938);
  EXPECT_EQ(written.size(), 4u);
  EXPECT_EQ(ValueOf(SendSingle(chain, 0, 2, 22)), 14938);
  SendSingle(chain, 0, 8 + 2, 22, saved);
  EXPECT_EQ(ValueOf(SendSingle(chain, 0, 2, 22)), saved);
  // The companion keeps its own register.
  EXPECT_EQ(ValueOf(SendSingle(chain, 1, 2, 22)), 0);
}

TEST(SingleDeviceTest, SerialNumberReadsAsTwoFourteenBitHalves) {
  SimulatedChain chain(Single(1, 0));
  const int low = ValueOf(SendSingle(chain, 0, 2, 27));
  const int high = ValueOf(SendSingle(chain, 0, 2, 28));
  const int serial = low + high * 16384;
  EXPECT_EQ(serial & 0x3FFF, chain.Device(0, 1).Read(regs::kSerialLow));
  EXPECT_GT(serial, 0x3FFF);  // the high half is in use
}

TEST(SingleDeviceTest, NoDeviceOfTheTypeLeavesTheLineHigh) {
  SimulatedChain chain(Single(1, 0));
  const auto answer = SendSingle(chain, 1, 2, 22);
  ASSERT_EQ(answer.size(), 5u);
  for (std::uint8_t b : answer) EXPECT_EQ(b, 0xFF);
  EXPECT_NE(ValueOf(answer), 14938);
}

TEST(SingleDeviceTest, ScanCommandRefreshesTheCells) {
  SimulatedChain chain(Single(1, 0));
  const auto answer = SendSingle(chain, 0, 3, regs::kScanVolts, 0, false);
  EXPECT_EQ(answer.size(), 3u);
  const double volts =
      SignedCounts(static_cast<std::uint16_t>(ValueOf(SendSingle(chain, 0, 1, 1)))) *
      ChainScales{}.cellVolts;
  EXPECT_NEAR(volts, chain.Device(0, 1).Cells().CellVolts(1), 0.002);
}

TEST(SingleDeviceTest, NeedsNoIdentification) {
  SimulatedChain chain(Single(1, 0));
  EXPECT_EQ(chain.Device(0, 1).Number(), 0);
  EXPECT_NE(ValueOf(SendSingle(chain, 0, 2, 27)), 0);
}

TEST(SingleDeviceTest, SleepingDeviceHearsOnlyWake) {
  SimulatedChain chain(Single(1, 0));
  SendSingle(chain, 0, 8 + 2, 22, 0x123);
  SendSingle(chain, 0, 3, regs::kSleep, 0, false);
  EXPECT_EQ(ValueOf(SendSingle(chain, 0, 2, 22)), 0x3FFF);
  SendSingle(chain, 0, 8 + 2, 22, 0x777);
  SendSingle(chain, 0, 3, regs::kWake, 0, false);
  EXPECT_EQ(ValueOf(SendSingle(chain, 0, 2, 22)), 0x123);
}

TEST(SingleDeviceTest, ShortPacketsAreHandledQuietly) {
  SimulatedChain chain(Single(1, 0));
  EXPECT_TRUE(test::Send(chain, test::kCmdSingle, 0x00, {}).empty());
  EXPECT_EQ(test::Send(chain, test::kCmdSingle, 0x00, {0x90}).size(), 1u);
  // A write frame cut after two bytes stores nothing.
  test::Send(chain, test::kCmdSingle, 0x00, {0xA5, 0x80});
  EXPECT_EQ(chain.Device(0, 1).Read(regs::kUser), 0);
}

}  // namespace
}  // namespace qvm::sim
