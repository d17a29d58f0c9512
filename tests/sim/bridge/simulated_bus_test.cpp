// SPDX-License-Identifier: MIT
#include "sim/bridge/simulated_bus.h"

#include <gtest/gtest.h>

#include "board_test_support.h"

namespace qvm::sim {
namespace {

using test::Request;

class SimulatedBusTest : public ::testing::Test {
 protected:
  std::shared_ptr<SimulatedBoard> NewBoard(const std::string& path,
                                           std::uint16_t vendorId = kBridgeVendorId) {
    return std::make_shared<SimulatedBoard>(clock, path, vendorId);
  }

  VirtualClock clock;
  SimulatedBus bus;
};

TEST_F(SimulatedBusTest, ListsBoardsInAttachOrderWithTheirIds) {
  bus.Attach(NewBoard("sim/board0"));
  bus.Attach(NewBoard("sim/foreign", 0x1234));
  bus.Attach(NewBoard("sim/board1"));

  const auto infos = bus.Enumerate();
  ASSERT_EQ(infos.size(), 3u);
  EXPECT_EQ(infos[0].path, "sim/board0");
  EXPECT_EQ(infos[0].vendorId, kBridgeVendorId);
  EXPECT_EQ(infos[0].productId, kBridgeProductId);
  EXPECT_EQ(infos[0].product, "Simulated bridge board");
  EXPECT_EQ(infos[1].vendorId, 0x1234);
  EXPECT_EQ(infos[1].productId, kBridgeProductId);
  EXPECT_EQ(infos[2].path, "sim/board1");
}

TEST_F(SimulatedBusTest, OpenedHandleForwardsToItsBoard) {
  auto board = NewBoard("sim/board0");
  bus.Attach(board);
  auto device = bus.Open("sim/board0");
  ASSERT_TRUE(device);
  EXPECT_TRUE(device->IsSimulated());

  ASSERT_TRUE(device->Write(Request({21, 3, 1, 0, 0x5A})));
  EXPECT_EQ(board->ReceivedReports().size(), 1u);
  Report reply{};
  ASSERT_EQ(device->Read(reply, 10), ReadResult::Report);
  EXPECT_EQ(reply[2], 3);
  EXPECT_EQ(reply[5], 0x5A);
}

TEST_F(SimulatedBusTest, UnknownPathOpensNothing) {
  bus.Attach(NewBoard("sim/board0"));
  EXPECT_FALSE(bus.Open("sim/board9"));
  EXPECT_FALSE(bus.Board("sim/board9"));
}

TEST_F(SimulatedBusTest, UnpluggedBoardDisappearsAndItsHandleFails) {
  auto board = NewBoard("sim/board0");
  bus.Attach(board);
  bus.Attach(NewBoard("sim/board1"));
  auto device = bus.Open("sim/board0");
  ASSERT_TRUE(device);

  board->Unplug();
  const auto infos = bus.Enumerate();
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_EQ(infos[0].path, "sim/board1");
  EXPECT_FALSE(bus.Open("sim/board0"));
  EXPECT_FALSE(device->Write(Request({0})));
  Report reply{};
  EXPECT_EQ(device->Read(reply, 6000), ReadResult::Error);
  EXPECT_EQ(device->LastError(), "simulated board unplugged");
  EXPECT_EQ(clock.NowMs(), 0);
}

TEST_F(SimulatedBusTest, ReplugListsTheBoardAgainAndANewHandleWorks) {
  auto board = NewBoard("sim/board0");
  bus.Attach(board);
  auto stale = bus.Open("sim/board0");
  board->Unplug();
  board->Replug();

  ASSERT_EQ(bus.Enumerate().size(), 1u);
  EXPECT_FALSE(stale->Write(Request({0})));
  EXPECT_NE(stale->LastError().find("unplugged"), std::string::npos);

  auto fresh = bus.Open("sim/board0");
  ASSERT_TRUE(fresh);
  ASSERT_TRUE(fresh->Write(Request({0})));
  Report reply{};
  EXPECT_EQ(fresh->Read(reply, 0), ReadResult::Report);
}

TEST_F(SimulatedBusTest, AttachingTheSamePathReplacesAndDetachRemoves) {
  bus.Attach(NewBoard("sim/board0"));
  auto replacement = NewBoard("sim/board0");
  bus.Attach(replacement);
  ASSERT_EQ(bus.Boards().size(), 1u);
  EXPECT_EQ(bus.Board("sim/board0"), replacement);

  bus.Detach("sim/board0");
  EXPECT_TRUE(bus.Enumerate().empty());
  EXPECT_FALSE(bus.Open("sim/board0"));
}

TEST_F(SimulatedBusTest, HandleKeepsItsBoardAliveAfterDetach) {
  bus.Attach(NewBoard("sim/board0"));
  auto device = bus.Open("sim/board0");
  bus.Detach("sim/board0");
  ASSERT_TRUE(device->Write(Request({0})));
  Report reply{};
  EXPECT_EQ(device->Read(reply, 0), ReadResult::Report);
}

TEST_F(SimulatedBusTest, OwnedTargetLivesWithTheBoard) {
  auto target = std::make_shared<test::RecordingTarget>();
  target->answer = {0x88};
  std::weak_ptr<test::RecordingTarget> watch = target;
  auto board = std::make_shared<SimulatedBoard>(clock, "sim/chain", std::move(target));
  bus.Attach(board);
  board.reset();
  EXPECT_FALSE(watch.expired());

  auto device = bus.Open("sim/chain");
  ASSERT_TRUE(device->Write(test::SetupBlock(true)));
  ASSERT_TRUE(device->Write(Request({23, 1, 1, 0x30, 0x00})));
  Report reply{};
  ASSERT_EQ(device->Read(reply, 0), ReadResult::Report);
  EXPECT_EQ(reply[5], 0x88);
  EXPECT_EQ(watch.lock()->seen.size(), 1u);

  device.reset();
  bus.Detach("sim/chain");
  EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace qvm::sim
