// SPDX-License-Identifier: MIT
#include "model/display_rules.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

namespace qvm {
namespace {

constexpr double kCellScale = 0.000610352;
constexpr double kVbatScale = 0.0036621;

class DisplayRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& scale = model->type[0].RegScale;
    scale[0x40] = kVbatScale;
    scale[0x41] = kCellScale;
    scale[0x50] = 0.0217;
    scale[0x51] = 0.000305176;
    scale[0x90] = 0.0005;
    scale[0x91] = 0.00025;
    scale[0x9A] = 0.05;
    state.DeviceCount52400 = 3;
    state.DeviceCount52401 = 0;
    state.SelectedDevice = 2;
  }

  MainTabDeviceStatus Main() const {
    return ComputeMainTabDeviceStatus(*model, *image, state, '.');
  }
  MonitorTabStatus Monitor() const { return ComputeMonitorTabStatus(*model, *image, state, '.'); }

  std::unique_ptr<RegisterModel> model = std::make_unique<RegisterModel>();
  std::unique_ptr<RegisterImage> image = std::make_unique<RegisterImage>();
  SharedState state;
};

TEST_F(DisplayRulesTest, NothingReadYetShowsBlankBoxesAndDarkIndicators) {
  state.DeviceCount52400 = 0;
  state.SelectedDevice = 1;
  image->StoreRead(0, 1, 0x80, 0x0FFF, 1);
  image->StoreRead(0, 1, 0x84, 0x0300, 1);
  image->StoreRead(0, 1, 0x41, 100, 1);
  image->StoreRead(0, 1, 0x94, 0x0FFF, 1);
  const auto status = Main();
  for (Colour c : status.cellSetup) EXPECT_EQ(c, Colour::Grey);
  for (Colour c : status.cellOV) EXPECT_EQ(c, Colour::Grey);
  for (Colour c : status.devicePresent) EXPECT_EQ(c, Colour::Grey);
  for (Colour c : status.deviceFault) EXPECT_EQ(c, Colour::Grey);
  EXPECT_EQ(status.vssOW, Colour::Grey);
  EXPECT_EQ(status.vbatOW, Colour::Grey);
  for (const auto& value : status.cellVoltage) EXPECT_EQ(value.text, "");
  for (const auto& value : status.temperatures) EXPECT_EQ(value.text, "");
  for (const auto& value : status.deviceVbat) EXPECT_EQ(value.text, "");
  EXPECT_EQ(status.vbatVoltage.text, "");
  EXPECT_EQ(status.ovLimit.text, "");
  EXPECT_EQ(status.uvLimit.text, "");
  EXPECT_EQ(status.itLimit.text, "");
  EXPECT_EQ(status.stackVoltage.text, "");
  ASSERT_TRUE(status.balance.has_value());
  for (const auto& button : status.balance->buttons) EXPECT_EQ(button.caption, "Off");

  const auto monitor = Monitor();
  EXPECT_TRUE(monitor.frames[0].shown);
  for (int f = 1; f < 4; ++f) EXPECT_FALSE(monitor.frames[static_cast<std::size_t>(f)].shown);
  EXPECT_EQ(monitor.frames[0].cellVoltage[0].text, "");
  EXPECT_EQ(monitor.frames[0].ov52400[0], Colour::Grey);
}

TEST_F(DisplayRulesTest, ValuesNeverReadShowBlankAndTheirIndicatorsOff) {
  image->StoreRead(0, 2, 0x41, 1000, 1);
  image->StoreRead(0, 1, 0x40, 1000, 1);
  image->StoreRead(0, 2, 0x40, 1000, 1);
  auto status = Main();
  EXPECT_EQ(status.cellVoltage[0].text, "0.6104");
  for (std::size_t cell = 1; cell < status.cellVoltage.size(); ++cell) {
    EXPECT_EQ(status.cellVoltage[cell].text, "") << cell;
  }
  for (const auto& value : status.temperatures) EXPECT_EQ(value.text, "");
  EXPECT_EQ(status.ovLimit.text, "");
  EXPECT_EQ(status.uvLimit.text, "");
  EXPECT_EQ(status.itLimit.text, "");
  for (Colour c : status.cellSetup) EXPECT_EQ(c, Colour::Grey);
  EXPECT_EQ(status.deviceVbat[1].text, "3.6621");
  EXPECT_EQ(status.deviceVbat[2].text, "");
  // The stack needs the pack voltage of every device.
  EXPECT_EQ(status.stackVoltage.text, "");
  image->StoreRead(0, 3, 0x40, 1000, 1);
  status = Main();
  EXPECT_EQ(status.stackVoltage.text, FormatVoltage(3000 * kVbatScale, '.'));

  const auto monitor = Monitor();
  EXPECT_EQ(monitor.frames[1].cellVoltage[0].text, "0.6104");
  EXPECT_EQ(monitor.frames[1].cellVoltage[1].text, "");
  EXPECT_EQ(monitor.frames[0].cellVoltage[0].text, "");
  EXPECT_EQ(monitor.frames[2].vbatVoltage.text, "3.6621");
}

TEST_F(DisplayRulesTest, StaleValuesKeepTheirTextAndTheTimeOfTheirRead) {
  image->StoreRead(0, 2, 0x41, 1000, 1, 10'000);
  for (int device = 1; device <= 3; ++device) {
    image->StoreRead(0, device, 0x40, 1000, 1, 1000 * device);
  }
  image->MarkStale(0, 2, 0x41);
  image->MarkStale(0, 3, 0x40);
  image->StoreWritten(0, 2, 0x90, 8000);
  image->MarkStale(0, 2, 0x90);
  auto status = Main();
  EXPECT_EQ(status.cellVoltage[0], (ShownValue{"0.6104", {true, true, 10'000}}));
  EXPECT_EQ(status.ovLimit, (ShownValue{"4.0000", {true, true, std::nullopt}}));
  EXPECT_EQ(status.deviceVbat[0], (ShownValue{"3.6621", {true, false, 1000}}));
  EXPECT_EQ(status.deviceVbat[2].freshness, (Freshness{true, true, 3000}));
  // The stack is stale with any of its parts and as old as the oldest.
  EXPECT_EQ(status.stackVoltage.freshness, (Freshness{true, true, 1000}));
  EXPECT_EQ(Monitor().frames[2].vbatVoltage.freshness, (Freshness{true, true, 3000}));

  image->StoreRead(0, 2, 0x41, 1000, 2, 20'000);
  EXPECT_EQ(Main().cellVoltage[0].freshness, (Freshness{true, false, 20'000}));
}

TEST(StaleNote, SaysWhenAStaleValueWasLastRead) {
  const TimeOfDay timeOfDay = [](std::int64_t ms) { return "t" + std::to_string(ms); };
  const std::pair<Freshness, std::string> cases[] = {
      {{}, ""},
      {{true, false, 5}, ""},
      {{true, true, 5}, "Last read t5; the last read failed"},
      {{true, true, std::nullopt}, "Not read since the console wrote it; the last read failed"},
  };
  for (const auto& [freshness, note] : cases) EXPECT_EQ(StaleNote(freshness, timeOfDay), note);
}

TEST_F(DisplayRulesTest, MainTabCellVoltagesUseFourteenBitSign) {
  image->StoreRead(0, 2, 0x41, 0x3FFF, 1);
  image->StoreRead(0, 2, 0x42, 0x2000, 1);
  image->StoreRead(0, 2, 0x43, 0x1FFF, 1);
  image->StoreRead(0, 2, 0x44, 0, 1);
  image->StoreRead(0, 2, 0x4C, 6000, 1);
  const auto status = Main();
  EXPECT_EQ(status.cellVoltage[0].text, "-0.0006");
  EXPECT_EQ(status.cellVoltage[1].text, FormatVoltage(-8192 * kCellScale, '.'));
  EXPECT_EQ(status.cellVoltage[2].text, FormatVoltage(8191 * kCellScale, '.'));
  EXPECT_EQ(status.cellVoltage[11].text, "3.6621");
  EXPECT_EQ(status.cellVoltage[3].text, "0.0000");
}

TEST_F(DisplayRulesTest, MainTabShowsSelectedDeviceTemperaturesAndLimits) {
  image->StoreRead(0, 2, 0x40, 1000, 1);
  image->StoreRead(0, 2, 0x50, static_cast<std::int16_t>(state.Tint25), 1);
  image->StoreRead(0, 2, 0x51, 10000, 1);
  image->StoreRead(0, 2, 0x52, 0, 1);
  image->StoreRead(0, 2, 0x54, 20000, 1);
  image->StoreRead(0, 2, 0x90, 8400, 1);
  image->StoreRead(0, 2, 0x91, 6000, 1);
  image->StoreRead(0, 2, 0x9A, static_cast<std::int16_t>(state.Tint25 + 100), 1);
  image->StoreRead(0, 1, 0x40, 7, 1);  // another device must not leak in
  const auto status = Main();
  EXPECT_EQ(status.vbatVoltage.text, "3.6621");
  EXPECT_EQ(status.temperatures[0].text, "25.0");
  EXPECT_EQ(status.temperatures[1].text, "3.0518");
  EXPECT_EQ(status.temperatures[2].text, "0.0000");
  EXPECT_EQ(status.temperatures[4].text, "6.1035");
  EXPECT_EQ(status.ovLimit.text, "4.2000");
  EXPECT_EQ(status.uvLimit.text, "1.5000");
  EXPECT_EQ(status.itLimit.text, "30.0");
  EXPECT_EQ(ComputeMainTabDeviceStatus(*model, *image, state, ',').ovLimit.text, "4,2000");
}

TEST_F(DisplayRulesTest, CellIndicatorsFollowSetupAndFaultBits) {
  image->StoreRead(0, 2, 0x85, 0x0801, 1);  // cells 1 and 12 unused
  image->StoreRead(0, 2, 0x80, 0x0002, 1);
  image->StoreRead(0, 2, 0x81, 0x0400, 1);
  image->StoreRead(0, 2, 0x82, 0x1001, 1);
  image->StoreRead(0, 2, 0x84, 0x0200, 1);
  const auto status = Main();
  EXPECT_EQ(status.cellSetup[0], Colour::Grey);
  EXPECT_EQ(status.cellSetup[1], Colour::Green);
  EXPECT_EQ(status.cellSetup[11], Colour::Grey);
  EXPECT_EQ(status.cellOV[1], Colour::Red);
  EXPECT_EQ(status.cellOV[0], Colour::Grey);
  EXPECT_EQ(status.cellUV[10], Colour::Red);
  EXPECT_EQ(status.cellUV[1], Colour::Grey);
  EXPECT_EQ(status.cellOW[0], Colour::Red);
  EXPECT_EQ(status.cellOW[12], Colour::Red);
  EXPECT_EQ(status.cellOW[6], Colour::Grey);
  EXPECT_EQ(status.vssOW, Colour::Red);
  EXPECT_EQ(status.vbatOW, Colour::Grey);
}

TEST_F(DisplayRulesTest, CompanionIndicatorsNeedCompanionDevices) {
  image->StoreRead(1, 2, 0x80, 0x0FFF, 1);
  image->StoreRead(1, 2, 0x81, 0x0001, 1);
  image->StoreRead(1, 2, 0x85, 0x0000, 1);
  image->StoreRead(1, 1, 0x84, 1, 1);
  auto status = Main();
  for (int i = 12; i < 24; ++i) {
    const auto k = static_cast<std::size_t>(i);
    EXPECT_EQ(status.cellSetup[k], Colour::Grey);
    EXPECT_EQ(status.cellOV[k], Colour::Grey);
    EXPECT_EQ(status.cellUV[k], Colour::Grey);
  }
  EXPECT_EQ(status.deviceFault[14], Colour::Grey);
  EXPECT_TRUE(status.companionShown);

  state.DeviceCount52401 = 1;
  image->StoreRead(1, 2, 0x85, 0x0002, 1);
  status = Main();
  EXPECT_EQ(status.cellSetup[12], Colour::Green);
  EXPECT_EQ(status.cellSetup[13], Colour::Grey);
  EXPECT_EQ(status.cellOV[23], Colour::Red);
  EXPECT_EQ(status.cellUV[12], Colour::Red);
  EXPECT_EQ(status.cellUV[13], Colour::Grey);
  EXPECT_EQ(status.devicePresent[14], Colour::Green);
  EXPECT_EQ(status.devicePresent[15], Colour::Grey);
  EXPECT_EQ(status.deviceFault[14], Colour::Red);
}

TEST_F(DisplayRulesTest, CompanionNamedNoneOrUnnamedIsHidden) {
  state.PartName52401 = "none";
  EXPECT_FALSE(Main().companionShown);
  EXPECT_FALSE(Monitor().companionShown);
  state.PartName52401 = "";
  EXPECT_FALSE(Main().companionShown);
  state.PartName52401 = "QVM52401";
  EXPECT_TRUE(Monitor().companionShown);
}

TEST_F(DisplayRulesTest, ChainRowCoversPresentDevicesOnly) {
  image->StoreRead(0, 1, 0x40, 1000, 1);
  image->StoreRead(0, 2, 0x40, 1001, 1);
  image->StoreRead(0, 3, 0x40, 1001, 1);
  image->StoreRead(0, 4, 0x40, 5000, 1);  // beyond the count
  image->StoreRead(0, 4, 0x84, 1, 1);
  const auto status = Main();
  for (int i = 0; i < 28; ++i) {
    EXPECT_EQ(status.devicePresent[static_cast<std::size_t>(i)],
              i < 3 ? Colour::Green : Colour::Grey)
        << i;
  }
  EXPECT_EQ(status.deviceVbat[0].text, "3.6621");
  EXPECT_EQ(status.deviceVbat[2].text, "3.6658");
  for (int i = 3; i < 14; ++i)
    EXPECT_EQ(status.deviceVbat[static_cast<std::size_t>(i)].text, "") << i;
  EXPECT_EQ(status.deviceFault[3], Colour::Grey);
  // Summed before rounding: the rounded parts would add up to 10.9937.
  EXPECT_EQ(status.stackVoltage.text, FormatVoltage((1000 + 1001 + 1001) * kVbatScale, '.'));
  EXPECT_EQ(status.stackVoltage.text, "10.9936");
}

TEST_F(DisplayRulesTest, FaultStatusOfDeviceTwoLightsItsFaultAndVbatOpenWire) {
  image->StoreRead(0, 2, 0x84, 0x0100, 1);
  const auto status = Main();
  EXPECT_EQ(status.deviceFault[0], Colour::Grey);
  EXPECT_EQ(status.deviceFault[1], Colour::Red);
  EXPECT_EQ(status.deviceFault[2], Colour::Grey);
  EXPECT_EQ(status.vbatOW, Colour::Red);
  EXPECT_EQ(status.vssOW, Colour::Grey);
  state.SelectedDevice = 1;
  EXPECT_EQ(Main().vbatOW, Colour::Grey);
}

TEST_F(DisplayRulesTest, BalanceSettingsComeFromSelectedDevice) {
  image->StoreRead(0, 2, 0x93, 0x0200 | (5 << 2) | 2, 1);
  image->StoreRead(0, 2, 0x95, 0x3F80, 1);
  image->StoreRead(0, 2, 0x94, 0x0805, 1);
  const auto status = Main();
  ASSERT_TRUE(status.balance.has_value());
  EXPECT_EQ(status.balance->modeIndex, 2);
  EXPECT_EQ(status.balance->waitIndex, 5);
  EXPECT_EQ(status.balance->timeoutIndex, 127);
  EXPECT_TRUE(status.balance->enabled);
  const auto& buttons = status.balance->buttons;
  EXPECT_TRUE(buttons[0].visible);
  EXPECT_TRUE(buttons[0].enabled);
  EXPECT_EQ(buttons[0].caption, "On");
  EXPECT_EQ(buttons[0].background, ButtonBackground::Yellow);
  EXPECT_EQ(buttons[1].caption, "Off");
  EXPECT_EQ(buttons[1].background, ButtonBackground::ButtonFace);
  EXPECT_EQ(buttons[2].caption, "On");
  EXPECT_EQ(buttons[11].caption, "On");
}

TEST_F(DisplayRulesTest, BalanceUpdateInProgressLeavesBalanceControlsAlone) {
  image->StoreRead(0, 2, 0x93, 1, 1);
  image->StoreRead(0, 2, 0x41, 100, 1);
  state.BalanceUpdateInProgress = true;
  const auto status = Main();
  EXPECT_FALSE(status.balance.has_value());
  EXPECT_EQ(status.cellVoltage[0].text, FormatVoltage(100 * kCellScale, '.'));
}

TEST_F(DisplayRulesTest, BalanceButtonsShowOnlyForManualModes) {
  EXPECT_FALSE(BalanceButtonsShownForMode(0));
  EXPECT_TRUE(BalanceButtonsShownForMode(1));
  EXPECT_TRUE(BalanceButtonsShownForMode(2));
  EXPECT_FALSE(BalanceButtonsShownForMode(3));
  for (std::int16_t mode : {0, 1, 2, 3}) {
    image->StoreRead(0, 2, 0x93, static_cast<std::int16_t>(0x0200 | mode), 1);
    const auto buttons = RefreshMainTabBalCtrlButtons(*image, state);
    const bool shown = mode == 1 || mode == 2;
    for (const auto& button : buttons) {
      EXPECT_EQ(button.visible, shown) << mode;
      EXPECT_EQ(button.enabled, shown) << mode;
    }
  }
}

TEST_F(DisplayRulesTest, BalanceSwitchesShowOffWithoutDevices) {
  image->StoreRead(0, 2, 0x93, 1, 1);
  image->StoreRead(0, 2, 0x94, 0x0FFF, 1);
  state.DeviceCount52400 = 0;
  const auto buttons = RefreshMainTabBalCtrlButtons(*image, state);
  for (const auto& button : buttons) {
    EXPECT_TRUE(button.visible);
    EXPECT_EQ(button.caption, "Off");
    EXPECT_EQ(button.background, ButtonBackground::ButtonFace);
  }
}

TEST_F(DisplayRulesTest, EnableAndDisableToggleVisibilityOnly) {
  BalanceButtons buttons{};
  buttons[3].caption = "On";
  buttons[3].background = ButtonBackground::Yellow;
  EnableMainTabBalCtrlButtons(buttons);
  for (const auto& button : buttons) EXPECT_TRUE(button.visible && button.enabled);
  DisableMainTabBalCtrlButtons(buttons);
  for (const auto& button : buttons) EXPECT_FALSE(button.visible || button.enabled);
  EXPECT_EQ(buttons[3].caption, "On");
  EXPECT_EQ(buttons[3].background, ButtonBackground::Yellow);
}

TEST_F(DisplayRulesTest, SelectedDeviceOutsideImageShowsBlank) {
  state.SelectedDevice = 16;
  auto status = Main();
  EXPECT_EQ(status.cellVoltage[0].text, "");
  EXPECT_EQ(status.cellSetup[0], Colour::Grey);
  state.SelectedDevice = -1;
  status = Main();
  EXPECT_EQ(status.vbatVoltage.text, "");
}

TEST_F(DisplayRulesTest, MonitorFramesFollowTheLargerCount) {
  auto monitor = Monitor();
  EXPECT_TRUE(monitor.frames[0].shown);
  EXPECT_TRUE(monitor.frames[1].shown);
  EXPECT_TRUE(monitor.frames[2].shown);
  EXPECT_FALSE(monitor.frames[3].shown);
  state.DeviceCount52400 = 1;
  state.DeviceCount52401 = 4;
  monitor = Monitor();
  EXPECT_TRUE(monitor.frames[3].shown);
}

TEST_F(DisplayRulesTest, MonitorFramesShowTheirOwnDevice) {
  state.DeviceCount52401 = 2;
  image->StoreRead(0, 1, 0x80, 0x0001, 1);
  image->StoreRead(0, 2, 0x81, 0x0800, 1);
  image->StoreRead(1, 2, 0x80, 0x0004, 1);
  image->StoreRead(1, 1, 0x81, 0x0002, 1);
  image->StoreRead(0, 3, 0x82, 0x1000, 1);
  image->StoreRead(0, 4, 0x84, 0x0300, 1);
  image->StoreRead(0, 2, 0x41, 0x3FFF, 1);
  image->StoreRead(0, 3, 0x40, 1000, 1);
  image->StoreRead(0, 4, 0x40, 0, 1);
  const auto monitor = Monitor();
  EXPECT_EQ(monitor.frames[0].ov52400[0], Colour::Red);
  EXPECT_EQ(monitor.frames[1].ov52400[0], Colour::Grey);
  EXPECT_EQ(monitor.frames[1].uv52400[11], Colour::Red);
  EXPECT_EQ(monitor.frames[1].ov52401[2], Colour::Red);
  EXPECT_EQ(monitor.frames[0].uv52401[1], Colour::Red);
  EXPECT_EQ(monitor.frames[2].ow52400[12], Colour::Red);
  EXPECT_EQ(monitor.frames[3].vssOW, Colour::Red);
  EXPECT_EQ(monitor.frames[3].vbatOW, Colour::Red);
  EXPECT_EQ(monitor.frames[2].vbatOW, Colour::Grey);
  EXPECT_EQ(monitor.frames[1].cellVoltage[0].text, "-0.0006");
  EXPECT_EQ(monitor.frames[2].vbatVoltage.text, "3.6621");
  // A hidden frame still mirrors its device's register image.
  EXPECT_EQ(monitor.frames[3].vbatVoltage.text, "0.0000");
}

TEST_F(DisplayRulesTest, MonitorCompanionFaultsNeedCompanionDevices) {
  image->StoreRead(1, 1, 0x80, 0x0FFF, 1);
  auto monitor = Monitor();
  for (Colour c : monitor.frames[0].ov52401) EXPECT_EQ(c, Colour::Grey);
  state.DeviceCount52400 = 0;
  state.DeviceCount52401 = 1;
  image->StoreRead(0, 1, 0x80, 0x0FFF, 1);
  image->StoreRead(0, 1, 0x41, 5, 1);
  monitor = Monitor();
  for (Colour c : monitor.frames[0].ov52401) EXPECT_EQ(c, Colour::Red);
  for (Colour c : monitor.frames[0].ov52400) EXPECT_EQ(c, Colour::Grey);
  EXPECT_EQ(monitor.frames[0].cellVoltage[0].text, "");
  EXPECT_EQ(monitor.frames[0].vbatVoltage.text, "");
}

}  // namespace
}  // namespace qvm
