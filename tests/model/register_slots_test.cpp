// SPDX-License-Identifier: MIT
#include "model/register_slots.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/tab_definitions.h"

namespace qvm {
namespace {

// Tab 1 (number 1) shows a cell, the internal temperature, an unlabelled setup register and the
// temperature limit; tab 2 is empty; tab 3 shows a command with an argument.
const char* const kTabs =
    "TABNAME,Cells\r\n"
    "REG,&H41,Cell 1 Voltage,0,Cell 1,V,0.001\r\n"
    "REG,&H50,Internal Temperature,0,Temp,degC,0.5\r\n"
    "REG,&H85,Cell Setup,1\r\n"
    "REG,&H9A,IT Limit,1,IT Limit,degC,0.25\r\n"
    "TABNAME,Empty\r\n"
    "TABNAME,Commands\r\n"
    "REG,&HC5,Scan Cells,3\r\n"
    "BEGIN52401\r\n"
    "TABNAME,Companion\r\n"
    "REG,&H41,Companion Cell,0,Cell 1,V,0.002\r\n";

class RegisterSlotsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ParseTabDefinitions(kTabs, *model, *image, state).ok);
    RegisterSlotHooks hooks;
    hooks.reportError = [this](const std::string& text) { errors.push_back(text); };
    hooks.upDownSet = [this](int slot, int value) {
      calls.push_back("updown " + std::to_string(slot) + "=" + std::to_string(value) +
                      (state.UpDownUpdating ? " guarded" : " unguarded"));
    };
    hooks.mainTabDeviceStatusVisible = [this] { return mainVisible; };
    hooks.updateMainTabDeviceStatusControls = [this] { calls.push_back("main"); };
    hooks.monitorTabVisible = [this] { return monitorVisible; };
    hooks.updateMonitorTabControls = [this] { calls.push_back("monitor"); };
    slots = std::make_unique<RegisterSlots>(*model, *image, state, hooks, '.');
    for (int slot = 0; slot < kSlotsPerTab; ++slot) slots->LoadSlot(slot);
    calls.clear();
  }

  RegisterSlot& slot(int s) { return slots->rows[static_cast<std::size_t>(s)]; }
  std::string Captions(int s) {
    std::string text;
    for (int bit = kBitsPerRegister - 1; bit >= 0; --bit) text += slot(s).bits[bit].caption;
    return text;
  }
  void ClickBit(int s, int bit) {
    BitToggle& toggle = slot(s).bits[static_cast<std::size_t>(bit)];
    toggle.caption = toggle.caption == "1" ? "0" : "1";
    slots->UpdateOtherControls(1, s * kBitsPerRegister + bit);
  }
  std::int16_t Stored(int reg) const {
    return image->at(state.SelectedDeviceType, state.SelectedDevice, reg);
  }

  std::unique_ptr<RegisterModel> model = std::make_unique<RegisterModel>();
  std::unique_ptr<RegisterImage> image = std::make_unique<RegisterImage>();
  SharedState state;
  std::unique_ptr<RegisterSlots> slots;
  std::vector<std::string> errors;
  std::vector<std::string> calls;
  bool mainVisible = false;
  bool monitorVisible = false;
};

TEST_F(RegisterSlotsTest, LoadingShowsTheTabRowsAndHidesEmptyOnes) {
  image->StoreRead(0, 1, 0x41, 0, 1);
  slots->LoadSlot(0);
  EXPECT_TRUE(slot(0).visible);
  EXPECT_TRUE(slot(0).decodedVisible);
  EXPECT_TRUE(slot(2).visible);
  EXPECT_FALSE(slot(2).decodedVisible);
  EXPECT_FALSE(slot(4).visible);
  EXPECT_EQ(slot(0).tbRegdata, "0000");
  EXPECT_EQ(slot(0).tbRegDecodedVal, "0.0000");
  EXPECT_TRUE(errors.empty());
}

TEST_F(RegisterSlotsTest, LoadingTakesTheImageValueOfTheSelectedDevice) {
  state.SelectedDevice = 3;
  image->StoreRead(0, 3, 0x41, 0x1234, 1);
  image->StoreRead(0, 3, 0x50, -1, 1);
  slots->LoadSlot(0);
  slots->LoadSlot(1);
  EXPECT_EQ(slot(0).tbRegdata, "1234");
  EXPECT_EQ(slot(0).updnRegData, 0x1234);
  EXPECT_EQ(slot(0).tbRegDecodedVal, "4.6600");
  EXPECT_EQ(slot(1).tbRegdata, "FFFF");
}

TEST_F(RegisterSlotsTest, ReadableRowsShowWhatTheImageKnows) {
  struct Case {
    const char* name;
    std::function<void()> store;
    const char* text;
    const char* decoded;
    Freshness freshness;
  };
  const Case cases[] = {
      {"never read", [] {}, "", "", {}},
      {"read",
       [&] { image->StoreRead(0, 1, 0x41, 0x0100, 3, 700); },
       "0100",
       "0.2560",
       {true, false, 700}},
      {"stale", [&] { image->MarkStale(0, 1, 0x41); }, "0100", "0.2560", {true, true, 700}},
      {"written",
       [&] { image->StoreWritten(0, 1, 0x41, 0x0200); },
       "0200",
       "0.5120",
       {true, false, std::nullopt}},
  };
  for (const Case& c : cases) {
    c.store();
    slot(0).tbRegdata = "0123";
    slot(0).tbRegDecodedVal = "9.9";
    // A refresh from the device takes the shown text; load takes the image's.
    slots->UpdateOtherControls(5, 0);
    if (!c.freshness.known) {
      EXPECT_EQ(slot(0).tbRegdata, "") << c.name;
    }
    slots->LoadSlot(0);
    EXPECT_EQ(slot(0).tbRegdata, c.text) << c.name;
    EXPECT_EQ(slot(0).tbRegDecodedVal, c.decoded) << c.name;
    EXPECT_EQ(slot(0).freshness, c.freshness) << c.name;
  }
  EXPECT_EQ(Captions(0), "00001000000000");
  // An edit makes an unknown value known.
  slot(2).tbRegdata = "0005";
  slots->UpdateOtherControls(3, 2);
  EXPECT_EQ(slot(2).freshness, (Freshness{true, false, std::nullopt}));
  EXPECT_TRUE(errors.empty());
}

TEST_F(RegisterSlotsTest, NeverReadRowShowsNoBitsSet) {
  image->StoreRead(0, 1, 0x85, 0x3FFF, 1);
  slots->LoadSlot(2);
  state.SelectedDevice = 2;
  slots->LoadSlot(2);
  EXPECT_EQ(slot(2).tbRegdata, "");
  EXPECT_EQ(Captions(2), "00000000000000");
  EXPECT_EQ(slot(2).updnRegData, 0);
  EXPECT_TRUE(errors.empty());
}

TEST_F(RegisterSlotsTest, CommandArgumentRowsAreTheConsolesOwnAndAlwaysShown) {
  slots->selectedTab = 3;
  slots->LoadSlot(0);
  EXPECT_EQ(slot(0).tbRegdata, "0000");
  EXPECT_EQ(slot(0).freshness, (Freshness{true, false, std::nullopt}));
}

TEST_F(RegisterSlotsTest, AllOnesTextSetsEveryToggleAndClearingBit13GivesOneFFF) {
  slot(2).tbRegdata = "3FFF";
  slots->UpdateOtherControls(2, 2);
  EXPECT_EQ(Captions(2), "11111111111111");
  for (const BitToggle& toggle : slot(2).bits) EXPECT_EQ(toggle.colour, Colour::Green);
  EXPECT_EQ(Stored(0x85), 0x3FFF);

  ClickBit(2, 13);
  EXPECT_EQ(slot(2).tbRegdata, "1FFF");
  EXPECT_EQ(Stored(0x85), 0x1FFF);
  EXPECT_EQ(slot(2).updnRegData, 0x1FFF);
  EXPECT_TRUE(errors.empty());
}

TEST_F(RegisterSlotsTest, BitTogglesShowZeroOnGrey) {
  slot(2).tbRegdata = "0005";
  slots->UpdateOtherControls(3, 2);
  EXPECT_EQ(Captions(2), "00000000000101");
  EXPECT_EQ(slot(2).bits[1].colour, Colour::Grey);
  EXPECT_EQ(slot(2).bits[2].colour, Colour::Green);
}

TEST_F(RegisterSlotsTest, BitClickRebuildsFourUpperCaseDigits) {
  ClickBit(2, 10);
  ClickBit(2, 3);
  EXPECT_EQ(slot(2).tbRegdata, "0408");
  ClickBit(2, 0);
  ClickBit(2, 1);
  ClickBit(2, 2);
  ClickBit(2, 3);
  EXPECT_EQ(slot(2).tbRegdata, "0407");
  ClickBit(2, 11);
  EXPECT_EQ(slot(2).tbRegdata, "0C07");
}

TEST_F(RegisterSlotsTest, UpDownTakesTheLowFourteenBitsOfALongText) {
  slot(2).tbRegdata = "1C000";
  slots->RegDataToUpDown(2);
  EXPECT_EQ(slot(2).updnRegData, 0);
  slot(2).tbRegdata = "7FFF";
  slots->RegDataToUpDown(2);
  EXPECT_EQ(slot(2).updnRegData, 0x3FFF);
  EXPECT_TRUE(errors.empty());
}

TEST_F(RegisterSlotsTest, UpDownIsSetUnderTheGuardFlag) {
  slot(0).tbRegdata = "0123";
  slots->RegDataToUpDown(0);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], "updown 0=291 guarded");
  EXPECT_FALSE(state.UpDownUpdating);
}

TEST_F(RegisterSlotsTest, NegativeTextIsOutsideTheUpDownRangeAndLeavesTheGuardClear) {
  slot(2).updnRegData = 77;
  slot(2).tbRegdata = "8000";
  slots->RegDataToUpDown(2);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0],
            "Error in RegDataToUpDown Err.Number = 380, Err.Description = Invalid property value");
  EXPECT_EQ(slot(2).updnRegData, 77);
  EXPECT_FALSE(state.UpDownUpdating);
}

TEST_F(RegisterSlotsTest, TextTooLargeForTheImageIsAnOverflowAndTheOthersGoOn) {
  image->StoreRead(0, 1, 0x85, 0x0111, 1);
  slot(2).tbRegdata = "1C000";
  slots->UpdateOtherControls(2, 2);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "Error in RegDataToRegArray Err.Number = 6, Err.Description = Overflow");
  EXPECT_EQ(Stored(0x85), 0x0111);
  EXPECT_EQ(Captions(2), "00000000000000");
  EXPECT_EQ(slot(2).updnRegData, 0);
}

TEST_F(RegisterSlotsTest, EditorDecodesCellValuesWithoutTheSignRule) {
  slot(0).tbRegdata = "3FFF";
  slots->UpdateOtherControls(3, 0);
  EXPECT_EQ(slot(0).tbRegDecodedVal, "16.3830");
}

TEST_F(RegisterSlotsTest, EditorDecodesBothTemperatureRegistersFromTheCalibrationWord) {
  state.Tint25 = 0x1000;
  slot(1).tbRegdata = "1010";  // 16 counts above the 25 degree reading at 0.5 per count
  slots->UpdateOtherControls(2, 1);
  EXPECT_EQ(slot(1).tbRegDecodedVal, "33.0");
  slot(3).tbRegdata = "0FF0";  // 16 counts below at 0.25 per count
  slots->UpdateOtherControls(2, 3);
  EXPECT_EQ(slot(3).tbRegDecodedVal, "21.0");
}

TEST_F(RegisterSlotsTest, EditorDecodesWithTheScaleOfTheSelectedDeviceType) {
  state.SelectedDeviceType = 1;
  slots->LoadSlot(0);
  slot(0).tbRegdata = "03E8";
  slots->UpdateOtherControls(2, 0);
  EXPECT_EQ(slot(0).tbRegDecodedVal, "2.0000");
  EXPECT_EQ(image->at(1, 1, 0x41), 1000);
  EXPECT_EQ(image->at(0, 1, 0x41), 0);
}

TEST_F(RegisterSlotsTest, RegisterWithoutLabelNeverShowsADecodedValue) {
  slot(2).tbRegDecodedVal = "untouched";
  slot(2).tbRegdata = "0100";
  slots->UpdateOtherControls(2, 2);
  EXPECT_EQ(slot(2).tbRegDecodedVal, "untouched");
  // Returns before looking at the tab, so no error even with no tab selected.
  slots->selectedTab = 0;
  slots->RegValToDecodedVal(2);
  EXPECT_TRUE(errors.empty());
}

TEST_F(RegisterSlotsTest, KindFourLeavesTheUpDownAlone) {
  slot(0).updnRegData = 5;
  slot(0).tbRegdata = "0010";
  slots->UpdateOtherControls(4, 0);
  EXPECT_EQ(slot(0).updnRegData, 5);
  EXPECT_EQ(Stored(0x41), 0x10);
  EXPECT_EQ(Captions(0), "00000000010000");
  EXPECT_EQ(slot(0).tbRegDecodedVal, "0.0160");
}

TEST_F(RegisterSlotsTest, KindFiveLeavesTheImageAlone) {
  image->StoreRead(0, 1, 0x41, 0x22, 1);
  slot(0).tbRegdata = "0100";
  slots->UpdateOtherControls(5, 0);
  EXPECT_EQ(Stored(0x41), 0x22);
  EXPECT_EQ(slot(0).updnRegData, 0x100);
  EXPECT_EQ(Captions(0), "00000100000000");
  EXPECT_EQ(slot(0).tbRegDecodedVal, "0.0340");
}

TEST_F(RegisterSlotsTest, KindsTwoAndThreeRunEveryRoutine) {
  for (int kind : {2, 3}) {
    slot(0).tbRegdata = kind == 2 ? "0200" : "0300";
    slots->UpdateOtherControls(kind, 0);
    EXPECT_EQ(Stored(0x41), kind * 0x100);
    EXPECT_EQ(slot(0).updnRegData, kind * 0x100);
    EXPECT_EQ(slot(0).bits[8].caption, kind == 3 ? "1" : "0");
    EXPECT_EQ(slot(0).bits[9].caption, "1");
  }
  EXPECT_EQ(slot(0).tbRegDecodedVal, "0.7680");
}

TEST_F(RegisterSlotsTest, StatusDisplaysRefreshAfterEveryKnownKindWhenVisible) {
  mainVisible = true;
  monitorVisible = true;
  slots->UpdateOtherControls(4, 2);
  EXPECT_EQ(calls, (std::vector<std::string>{"main", "monitor"}));

  calls.clear();
  mainVisible = false;
  slots->UpdateOtherControls(4, 2);
  EXPECT_EQ(calls, (std::vector<std::string>{"monitor"}));

  calls.clear();
  monitorVisible = false;
  slots->UpdateOtherControls(4, 2);
  EXPECT_TRUE(calls.empty());
}

TEST_F(RegisterSlotsTest, UnknownKindDoesNothing) {
  mainVisible = true;
  slot(0).tbRegdata = "0100";
  slots->UpdateOtherControls(6, 0);
  slots->UpdateOtherControls(0, 0);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(Stored(0x41), 0);
  EXPECT_EQ(slot(0).updnRegData, 0);
}

TEST_F(RegisterSlotsTest, TabNumberOutsideTheStripIsReportedByEachRoutine) {
  slots->selectedTab = 52;
  slot(0).tbRegdata = "0100";
  slots->UpdateOtherControls(3, 0);
  const std::string subscript = " Err.Number = 9, Err.Description = Subscript out of range";
  EXPECT_EQ(errors, (std::vector<std::string>{"Error in RegDataToRegArray" + subscript,
                                              "Error in RegValToDecodedVal" + subscript}));
  // The routines that need no register still did their part.
  EXPECT_EQ(slot(0).bits[8].caption, "1");
  EXPECT_EQ(slot(0).updnRegData, 0x100);
}

TEST_F(RegisterSlotsTest, EmptySlotOrSlotOutsideTheTabIsReported) {
  slots->RegDataToRegArray(5);
  slots->RegDataToBits(8);
  slots->BitsToRegData(8 * kBitsPerRegister);
  slots->BitsToRegData(-1);
  ASSERT_EQ(errors.size(), 4u);
  EXPECT_EQ(errors[0].rfind("Error in RegDataToRegArray Err.Number = 9", 0), 0u);
  EXPECT_EQ(errors[1].rfind("Error in RegDataToBits Err.Number = 9", 0), 0u);
  EXPECT_EQ(errors[2].rfind("Error in BitsToRegData Err.Number = 9", 0), 0u);
}

}  // namespace
}  // namespace qvm
