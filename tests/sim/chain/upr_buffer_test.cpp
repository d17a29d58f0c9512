// SPDX-License-Identifier: MIT
#include "sim/chain/upr_buffer.h"

#include <gtest/gtest.h>

#include "chain_test_support.h"
#include "sim/chain/register_map.h"

namespace qvm::sim {
namespace {

std::vector<std::uint8_t> ReadUpr(SimulatedChain& chain, int type) {
  // The console's buffer read: header only, one extra byte clocked out.
  return test::Send(chain, static_cast<std::uint8_t>(type != 0 ? 24 : 23), type != 0 ? 0x70 : 0x30,
                    {0});
}

TEST(UprBufferTest, HealthyChainAnswers0x88) {
  SimulatedChain chain(test::Daisy52400(3, 2));
  test::NumberAll(chain);
  EXPECT_EQ(ReadUpr(chain, 0), std::vector<std::uint8_t>{0x88});
  EXPECT_EQ(ReadUpr(chain, 1), std::vector<std::uint8_t>{0x88});
}

TEST(UprBufferTest, NothingToPollIsHealthy) {
  SimulatedChain chain(test::Daisy52400(2, 1));
  EXPECT_EQ(ReadUpr(chain, 0), std::vector<std::uint8_t>{0x88});  // not identified yet
  ChainLayout primaries = test::Daisy52400(2);
  SimulatedChain withoutCompanions(primaries);
  test::NumberAll(withoutCompanions);
  EXPECT_EQ(ReadUpr(withoutCompanions, 1), std::vector<std::uint8_t>{0x88});
}

TEST(UprBufferTest, ChainThatDoesNotAnswerShowsIt) {
  SimulatedChain chain(test::Daisy52400(2));
  test::NumberAll(chain);
  chain.Faults().silentChain = 1;
  EXPECT_EQ(ReadUpr(chain, 0).at(0), UprBuffer::kStatusNoAnswer);
  EXPECT_EQ(ReadUpr(chain, 0).at(0), UprBuffer::kStatusHealthy);
  test::Daisy(chain, 0, 2, 3, regs::kSleep);
  EXPECT_EQ(ReadUpr(chain, 0).at(0), UprBuffer::kStatusNoAnswer);
  test::Daisy(chain, 0, 15, 3, regs::kWake);
  EXPECT_EQ(ReadUpr(chain, 0).at(0), UprBuffer::kStatusHealthy);
}

TEST(UprBufferTest, NewFaultIsReportedOnceAndReadingEmptiesTheBuffer) {
  SimulatedChain chain(test::Daisy52400(3, 1));
  test::NumberAll(chain);
  chain.Device(0, 2).Cells().SetCellVolts(5, 4.5);
  test::Daisy(chain, 0, 0, 3, regs::kScanVolts);
  test::Daisy(chain, 0, 0, 3, regs::kScanVolts);  // still set: no second report
  EXPECT_EQ(chain.PendingUprFrames(0), 1u);

  const auto reply = ReadUpr(chain, 0);
  ASSERT_EQ(reply.size(), 5u);
  EXPECT_EQ(reply[0], UprBuffer::kStatusHealthy);
  const auto frames = test::Frames({reply.begin() + 1, reply.end()});
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_TRUE(frames[0].crcGood);
  EXPECT_EQ(frames[0].dev, 2);
  EXPECT_EQ(frames[0].cat, 2);
  EXPECT_EQ(frames[0].adr, 4);
  EXPECT_EQ(frames[0].dat, regs::kStatusOverVoltage);
  EXPECT_EQ(ReadUpr(chain, 0), std::vector<std::uint8_t>{0x88});
  EXPECT_EQ(ReadUpr(chain, 1), std::vector<std::uint8_t>{0x88});
}

TEST(UprBufferTest, ContinuousScanReportsFaultsWithoutARequest) {
  SimulatedChain chain(test::Daisy52400(1));
  test::NumberAll(chain);
  chain.Advance(0);
  test::Daisy(chain, 0, 1, 3, regs::kScanContinuous);
  chain.Advance(500);
  EXPECT_EQ(chain.PendingUprFrames(0), 0u);
  chain.Device(0, 1).Cells().SetCellVolts(1, 1.0);
  chain.Advance(600);
  EXPECT_EQ(chain.PendingUprFrames(0), 1u);
  EXPECT_EQ(ReadUpr(chain, 0).size(), 5u);
}

TEST(UprBufferTest, KeepsTheNewestFramesThatFitOneReply) {
  UprBuffer buffer;
  for (int i = 0; i < 20; ++i) buffer.Push(ResponseFrame(1, 2, 4, i));
  EXPECT_EQ(buffer.Size(), UprBuffer::kCapacity);
  const auto reply = buffer.Read(true);
  ASSERT_EQ(reply.size(), 1 + 4 * UprBuffer::kCapacity);
  EXPECT_LE(reply.size(), 59u);
  const auto frames = test::Frames({reply.begin() + 1, reply.end()});
  EXPECT_EQ(frames.front().dat, 20 - static_cast<int>(UprBuffer::kCapacity));
  EXPECT_EQ(frames.back().dat, 19);
  // A chain that does not answer keeps what is buffered.
  buffer.Push(ResponseFrame(1, 2, 4, 1));
  EXPECT_EQ(buffer.Read(false), std::vector<std::uint8_t>{UprBuffer::kStatusNoAnswer});
  EXPECT_EQ(buffer.Size(), 1u);
}

}  // namespace
}  // namespace qvm::sim
