// SPDX-License-Identifier: MIT
#include "operations/balance_controls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "evb_bench.h"
#include "model/decoders.h"
#include "sim/bridge/bridge_faults.h"

namespace qvm::test {
namespace {

constexpr int kSetup = kRegBalanceSetup;
constexpr int kSwitches = kRegBalanceSwitches;
constexpr int kTime = kRegBalanceTime;

std::vector<std::string> Writes(const RecordingView& view) {
  std::vector<std::string> lines;
  for (const std::string& line : view.LogLines()) {
    if (line.rfind("wrt,", 0) == 0) lines.push_back(line);
  }
  return lines;
}

TEST(BalanceValuesTest, NewRegisterValuesKeepTheOtherFields) {
  EXPECT_EQ(BalanceSetupForMode(0x3FF, 2), 0x21E);
  EXPECT_EQ(BalanceSetupForMode(0x3FF, 3), 0x3FF);
  EXPECT_EQ(BalanceSetupForMode(0x3FF, 0), 0x3FC);
  EXPECT_EQ(BalanceTimeForTimeout(0x0055, 127), 0x3FD5);
  EXPECT_EQ(BalanceTimeForTimeout(0x3FFF, 0), 0x007F);
  EXPECT_EQ(BalanceSetupForWait(0x3FF, 4), 0x3F3);
  EXPECT_EQ(BalanceSetupForEnable(0x0155, true), 0x0355);
  EXPECT_EQ(BalanceSetupForEnable(0x3FFF, false), 0x01FF);
}

class BalanceControlsTest : public ::testing::Test {
 protected:
  explicit BalanceControlsTest(const std::string& chain = "daisy:52400x3",
                               std::uint8_t mode = kModeDaisyChain)
      : bench(chain) {
    bench.Connect(mode);
    bench.view.log.clear();
  }

  void Poke(int device, int reg, int value) { bench.evb.chain->Device(0, device).Poke(reg, value); }
  int DeviceValue(int device, int reg) { return bench.evb.chain->Device(0, device).Read(reg); }

  EvbBench bench;
  Session& session = bench.session;
};

TEST_F(BalanceControlsTest, AllDevicesWhenTheUserSaysYes) {
  for (int device = 1; device <= 3; ++device) Poke(device, kSetup, 0x3FF);
  bench.host.yesNoAnswers = {true};
  int enabled = 0;
  int refreshed = 0;
  BalanceControlsView paint;
  paint.enableCellButtons = [&] { ++enabled; };
  paint.refreshCellButtons = [&] { ++refreshed; };
  EXPECT_TRUE(ChangeBalanceSetting(session, BalanceSetting::Mode, 2, paint));
  ASSERT_EQ(bench.host.yesNoPrompts.size(), 1u);
  EXPECT_EQ(bench.host.yesNoPrompts[0].title, "Configure CB Mode");
  EXPECT_EQ(bench.host.yesNoPrompts[0].text,
            "Set Cell Balance Mode on all connected QVM52400 devices?");
  for (int device = 1; device <= 3; ++device) {
    EXPECT_EQ(DeviceValue(device, kSetup), 0x21E) << device;
    EXPECT_EQ(session.image.at(0, device, kSetup), 0x21E);
  }
  // Manual and timed modes read the switches back, for the cell buttons.
  const auto lines = bench.view.LogLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "cmd,QVM52400,dev0x02,cat0x02,adr0x14,dat0x00"),
            1);
  EXPECT_EQ(enabled, 1);
  EXPECT_EQ(refreshed, 1);
  EXPECT_FALSE(session.state.BalanceUpdateInProgress);
}

TEST_F(BalanceControlsTest, OnlyTheSelectedDeviceWhenTheUserSaysNo) {
  session.state.SelectedDevice = 2;
  Poke(2, kTime, 0x0055);
  int disabled = 0;
  EXPECT_TRUE(ChangeBalanceSetting(session, BalanceSetting::Timeout, 127,
                                   {nullptr, [&] { ++disabled; }, nullptr}));
  EXPECT_EQ(Writes(bench.view),
            std::vector<std::string>{"wrt,QVM52400,dev0x02,cat0x0A,adr0x15,dat0x3FD5"});
  EXPECT_EQ(DeviceValue(2, kTime), 0x3FD5);
  EXPECT_EQ(disabled, 0);
}

TEST_F(BalanceControlsTest, ModeAutoHidesTheCellButtons) {
  int disabled = 0;
  ChangeBalanceSetting(session, BalanceSetting::Mode, 3, {nullptr, [&] { ++disabled; }, nullptr});
  EXPECT_EQ(disabled, 1);
}

TEST_F(BalanceControlsTest, SuppressedEventsWriteNothing) {
  session.state.SuppressControlEvents = true;
  EXPECT_FALSE(ChangeBalanceSetting(session, BalanceSetting::Wait, 4));
  EXPECT_TRUE(bench.view.log.empty());
  EXPECT_TRUE(bench.host.yesNoPrompts.empty());
}

TEST_F(BalanceControlsTest, NotConnectedShowsTheMessageAndWritesNothing) {
  session.bridge.EvbConnected = false;
  EXPECT_FALSE(ChangeBalanceSetting(session, BalanceSetting::Wait, 4));
  ASSERT_EQ(bench.host.messages.size(), 1u);
  EXPECT_EQ(bench.host.messages[0].text, "QVM52400 EVB not connected!");
  EXPECT_EQ(bench.view.LogLines(),
            std::vector<std::string>{"cboBalanceWait_Change: EVB not detected. Please check "
                                     "connections."});
}

TEST_F(BalanceControlsTest, EnablingBalancingStartsThePollingTimer) {
  bench.host.yesNoAnswers = {true};
  Poke(1, kSetup, 0x0155);
  bench.timer.enabled = false;
  ChangeBalanceSetting(session, BalanceSetting::CellBalanceEnable, 1);
  EXPECT_EQ(bench.host.yesNoPrompts[0].text,
            "Enable Cell Balancing on all connected QVM52400 devices?");
  EXPECT_EQ(DeviceValue(1, kSetup), 0x0355);
  EXPECT_TRUE(bench.timer.enabled);
}

TEST_F(BalanceControlsTest, AFailedReadLeavesThatDeviceUnwritten) {
  bench.host.yesNoAnswers = {true};
  for (int device = 1; device <= 3; ++device) Poke(device, kSetup, 0x3FF);
  bench.evb.board->Faults().dropReplies = 2;  // the read of device 1 and its one retry
  ChangeBalanceSetting(session, BalanceSetting::Wait, 0);
  EXPECT_EQ(DeviceValue(1, kSetup), 0x3FF);
  EXPECT_EQ(DeviceValue(2, kSetup), 0x3E3);
  EXPECT_EQ(DeviceValue(3, kSetup), 0x3E3);
}

TEST_F(BalanceControlsTest, CellButtonTogglesItsSwitchBitOfTheSelectedDevice) {
  session.state.SelectedDevice = 3;
  EXPECT_EQ(ToggleCellBalance(session, 11, false), std::optional<bool>(true));
  EXPECT_EQ(DeviceValue(3, kSwitches), 0x0800);
  EXPECT_EQ(ToggleCellBalance(session, 11, true), std::optional<bool>(false));
  EXPECT_EQ(DeviceValue(3, kSwitches), 0x0000);
  EXPECT_EQ(DeviceValue(1, kSwitches), 0x0000);
}

class SingleDeviceBalanceTest : public BalanceControlsTest {
 protected:
  SingleDeviceBalanceTest() : BalanceControlsTest("single:52400", kModeSingleDevice) {}
};

TEST_F(SingleDeviceBalanceTest, OneDeviceIsWrittenWithoutAsking) {
  session.state.SelectedDevice = 5;
  Poke(1, kSetup, 0x3FF);
  ChangeBalanceSetting(session, BalanceSetting::Wait, 4);
  EXPECT_TRUE(bench.host.yesNoPrompts.empty());
  EXPECT_EQ(DeviceValue(1, kSetup), 0x3F3);
}

class CompanionOnlyBalanceTest : public BalanceControlsTest {
 protected:
  CompanionOnlyBalanceTest() : BalanceControlsTest("daisy:52401x2") {}
};

TEST_F(CompanionOnlyBalanceTest, NoPrimaryDeviceIsReported) {
  EXPECT_FALSE(ToggleCellBalance(session, 0, false));
  ASSERT_EQ(bench.host.messages.size(), 1u);
  EXPECT_EQ(bench.host.messages[0].text, "QVM52400 not present!");
  EXPECT_EQ(bench.view.LogLines(),
            std::vector<std::string>{
                "cbMainTabBalCtrl_Click: QVM52400 not present. Please check connections."});
}

}  // namespace
}  // namespace qvm::test
