// SPDX-License-Identifier: MIT
#include "console/device_menu_state.h"

#include <gtest/gtest.h>

namespace qvm::test {
namespace {

SharedState DaisyChainState(int count52400, int count52401) {
  SharedState state;
  state.DaisyChainMode = true;
  state.DeviceCount52400 = static_cast<std::int16_t>(count52400);
  state.DeviceCount52401 = static_cast<std::int16_t>(count52401);
  return state;
}

TEST(DeviceMenuState, ThreeDevicesOfferZeroToThreeAndFifteen) {
  SharedState state = DaisyChainState(3, 0);
  state.SelectedDevice = 15;
  const DeviceMenuState menu = ComputeDeviceMenuState(state);
  ASSERT_TRUE(menu.listEntries);
  EXPECT_EQ(*menu.listEntries, (std::vector<std::string>{"Device 0", "Device 1", "Device 2",
                                                         "Device 3", "Device 15"}));
  EXPECT_EQ(menu.listIndex, 4);
  for (int c = 0; c < 16; ++c) {
    EXPECT_EQ(menu.menus[0][c].enabled, c <= 3 || c == 15) << c;
    EXPECT_EQ(menu.menus[0][c].checked, c == 15) << c;
  }
}

TEST(DeviceMenuState, OnlyCompanionDevicesDisableThePrimaryMenu) {
  SharedState state = DaisyChainState(0, 2);
  state.SelectedDeviceType = 1;
  state.SelectedDevice = 2;
  const DeviceMenuState menu = ComputeDeviceMenuState(state);
  for (int c = 0; c < 16; ++c) {
    EXPECT_FALSE(menu.menus[0][c].enabled) << c;
    EXPECT_FALSE(menu.menus[0][c].checked) << c;
  }
  EXPECT_TRUE(menu.menus[1][2].checked);
  ASSERT_TRUE(menu.listEntries);
  EXPECT_EQ(menu.listEntries->size(), 4u);
}

TEST(DeviceMenuState, SingleDeviceModeKeepsTheListsAndDisablesZeroAndFifteen) {
  SharedState state = DaisyChainState(1, 1);
  state.DaisyChainMode = false;
  const DeviceMenuState menu = ComputeDeviceMenuState(state);
  EXPECT_FALSE(menu.listEntries);
  for (int type = 0; type < 2; ++type) {
    EXPECT_FALSE(menu.menus[type][0].enabled);
    EXPECT_TRUE(menu.menus[type][1].enabled);
    EXPECT_FALSE(menu.menus[type][15].enabled);
  }
}

TEST(DeviceMenuState, NoDevicesEmptyTheListAndSelectedBeyondChainSelectsNothing) {
  EXPECT_TRUE(ComputeDeviceMenuState(DaisyChainState(0, 0)).listEntries->empty());
  SharedState state = DaisyChainState(2, 0);
  state.SelectedDevice = 5;
  EXPECT_EQ(ComputeDeviceMenuState(state).listIndex, -1);
}

}  // namespace
}  // namespace qvm::test
