// SPDX-License-Identifier: MIT
#include "sim/chain/simulated_evb.h"

#include <gtest/gtest.h>

#include "chain_test_support.h"
#include "sim/chain/register_map.h"

namespace qvm::sim {
namespace {

// Sends a daisy-chain frame through the board as the console does and returns the reply.
Report Exchange(HidDevice& device, std::uint8_t sequence, int dev, int cat, int adr, int dat) {
  std::int16_t data = static_cast<std::int16_t>(dat);
  std::vector<std::uint8_t> frame;
  EncodeDaisyFrame(static_cast<std::uint8_t>(dev), static_cast<std::uint8_t>(cat),
                   static_cast<std::uint8_t>(adr), data, frame);
  // The bridge takes daisy-chain packets once its set-up block has the daisy-chain bit.
  const Report setup{1, 20, 0, 0xFF, 0xFF, 0x80, 0x03, 0x80, 0x00, 2, 0x29, 0x30};
  EXPECT_TRUE(device.Write(setup));
  Report request{};
  request[0] = 1;
  request[1] = 22;
  request[2] = sequence;
  request[3] = static_cast<std::uint8_t>(frame.size() + 1);
  request[4] = (cat & 8) != 0 ? 0x80 : 0x00;
  std::copy(frame.begin(), frame.end(), request.begin() + 5);
  EXPECT_TRUE(device.Write(request));
  Report reply{};
  EXPECT_EQ(device.Read(reply, 100), ReadResult::Report);
  return reply;
}

std::vector<test::Answer> ReplyFrames(const Report& reply) {
  return test::Frames({reply.begin() + 5, reply.begin() + 4 + reply[3]});
}

TEST(SimulatedEvbTest, BuildsABusWithOneBoardDrivingTheChain) {
  VirtualClock clock;
  std::string error;
  auto evb = MakeSimulatedEvb("daisy:52400x3+52401x2", clock, error);
  ASSERT_TRUE(evb.has_value()) << error;
  ASSERT_TRUE(evb->bus && evb->board && evb->chain);
  EXPECT_EQ(evb->chain->DeviceCount(0), 3);
  EXPECT_EQ(evb->chain->DeviceCount(1), 2);

  const auto listed = evb->bus->Enumerate();
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].path, SimulatedEvb::kBoardPath);
  EXPECT_EQ(listed[0].productId, kBridgeProductId);
  auto device = evb->bus->Open(listed[0].path);
  ASSERT_TRUE(device);
  EXPECT_TRUE(device->IsSimulated());

  const Report ack = Exchange(*device, 1, 0, 3, regs::kIdentify, 0);
  EXPECT_EQ(ack[2], 1);
  EXPECT_EQ(ack[3], 5);  // one 4-byte frame + 1
  ASSERT_EQ(ReplyFrames(ack).size(), 1u);
  EXPECT_TRUE(test::IsAck(ReplyFrames(ack)[0]));
  EXPECT_EQ(evb->chain->Device(0, 1).Number(), 1);

  const Report echo = Exchange(*device, 2, 0, 3, regs::kIdentify, 2);
  EXPECT_EQ(ReplyFrames(echo).at(0).dat >> 12, 3);
}

TEST(SimulatedEvbTest, BoardTimeReachesTheChain) {
  VirtualClock clock;
  auto evb = MakeSimulatedEvb(test::Daisy52400(1), clock);
  auto device = evb.bus->Open(SimulatedEvb::kBoardPath);
  ASSERT_TRUE(device);
  Exchange(*device, 1, 0, 3, regs::kIdentify, 0);
  Exchange(*device, 2, 1, 8 + 2, regs::kBalanceSwitches & 63, 1);
  Exchange(*device, 3, 1, 3, regs::kBalanceEnable, 0);
  const double before = evb.chain->Device(0, 1).Cells().CellVolts(1);
  clock.SleepMs(60000);
  Exchange(*device, 4, 1, 3, regs::kScanVolts, 0);
  EXPECT_LT(evb.chain->Device(0, 1).Cells().CellVolts(1), before);
}

TEST(SimulatedEvbTest, MalformedChainTextBuildsNothing) {
  VirtualClock clock;
  std::string error;
  EXPECT_FALSE(MakeSimulatedEvb("daisy:52400x20", clock, error).has_value());
  EXPECT_NE(error.find("1 to 14"), std::string::npos);
}

}  // namespace
}  // namespace qvm::sim
