// SPDX-License-Identifier: MIT
#include "model/tab_definitions.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace qvm {
namespace {

const std::string kSubscriptError =
    "Error in ParseTabsefsCreateTabs Err.Number = 9, Err.Description = Subscript out of range";

// Joins rows with CR LF, as the files are written.
std::string Rows(std::initializer_list<std::string> rows) {
  std::string text;
  for (const auto& row : rows) text += row + "\r\n";
  return text;
}

class TabDefinitionsTest : public ::testing::Test {
 protected:
  TabDefParseResult Parse(const std::string& text) {
    return ParseTabDefinitions(text, *model, *image, state);
  }
  const RegisterTables& type0() const { return model->type[0]; }
  const RegisterTables& type1() const { return model->type[1]; }

  std::unique_ptr<RegisterModel> model = std::make_unique<RegisterModel>();
  std::unique_ptr<RegisterImage> image = std::make_unique<RegisterImage>();
  SharedState state;
};

TEST_F(TabDefinitionsTest, RegRowFillsEveryTableOfItsRegister) {
  const auto result = Parse(
      Rows({"BEGIN52400", "TABNAME,Cells", "REG,&H41,Cell 1 Voltage,0,Cell 1,V,0.000610352"}));
  ASSERT_TRUE(result.ok) << result.errorText;
  EXPECT_EQ(type0().TabName[0], "Cells");
  EXPECT_EQ(type0().TabRegister[0][0], 0x41);
  EXPECT_EQ(type0().TabRegister[0][1], -1);
  EXPECT_EQ(type0().RegName[0x41], "Cell 1 Voltage");
  EXPECT_EQ(type0().RegKind[0x41], 0);
  EXPECT_EQ(type0().RegDecodedLabel[0x41], "Cell 1");
  EXPECT_EQ(type0().RegDecodedUnits[0x41], "V");
  EXPECT_DOUBLE_EQ(type0().RegScale[0x41], 0.000610352);
}

TEST_F(TabDefinitionsTest, RegistersWithoutBitsRowsGetDefaultBitNames) {
  ASSERT_TRUE(Parse(Rows({"TABNAME,T", "REG,5,Five,1", "REG,6,Six,1"})).ok);
  for (int reg : {5, 6}) {
    for (int bit = 0; bit < kBitsPerRegister; ++bit) {
      EXPECT_EQ(model->BitName(0, reg, bit), "Bit" + std::to_string(bit));
    }
  }
}

TEST_F(TabDefinitionsTest, BitsRowNamesBitsFromThirteenDown) {
  ASSERT_TRUE(Parse(Rows({"TABNAME,T", "REG,&H84,Fault Status,1",
                          "BITS,b13,b12,b11,b10,Vss OW,Vbat OW,b7,b6,b5,b4,b3,b2,b1,b0",
                          "REG,&H85,Cell Setup,1",
                          "BITS,c13,c12,c11,c10,c9,c8,c7,c6,c5,c4,c3,c2,c1,c0,extra,more"}))
                  .ok);
  EXPECT_EQ(model->BitName(0, 0x84, 13), "b13");
  EXPECT_EQ(model->BitName(0, 0x84, 9), "Vss OW");
  EXPECT_EQ(model->BitName(0, 0x84, 8), "Vbat OW");
  EXPECT_EQ(model->BitName(0, 0x84, 0), "b0");
  EXPECT_EQ(model->BitName(0, 0x85, 13), "c13");
  EXPECT_EQ(model->BitName(0, 0x85, 0), "c0");
}

TEST_F(TabDefinitionsTest, ShortBitsRowIsIgnored) {
  ASSERT_TRUE(Parse(Rows({"TABNAME,T", "REG,7,Seven,1", "BITS,a,b,c,d,e,f,g,h,i,j,k,l,m"})).ok);
  EXPECT_EQ(model->BitName(0, 7, 13), "Bit13");
  EXPECT_EQ(model->BitName(0, 7, 1), "Bit1");
}

TEST_F(TabDefinitionsTest, NinthAndLaterRegistersOfATabLandInSlotSeven) {
  std::string text = Rows({"TABNAME,Many"});
  for (int reg = 1; reg <= 10; ++reg) text += "REG," + std::to_string(reg) + ",R,1\r\n";
  ASSERT_TRUE(Parse(text).ok);
  for (int slot = 0; slot < 7; ++slot) EXPECT_EQ(type0().TabRegister[0][slot], slot + 1);
  EXPECT_EQ(type0().TabRegister[0][7], 10);
}

TEST_F(TabDefinitionsTest, AddressOutOfRangeIsIgnoredButBitsAfterItStopTheRun) {
  const auto result = Parse(Rows({"TABNAME,T", "REG,&H41,Cell,0", "REG,600,Nowhere,1",
                                  "BITS,a,b,c,d,e,f,g,h,i,j,k,l,m,n", "TABNAME,Never"}));
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.errorText, kSubscriptError);
  EXPECT_EQ(result.errorLine, 4);
  // What was parsed before the failing row stays; the out-of-range row took no slot.
  EXPECT_EQ(type0().TabRegister[0][0], 0x41);
  EXPECT_EQ(type0().TabRegister[0][1], -1);
  EXPECT_EQ(type0().RegName[0x41], "Cell");
  EXPECT_EQ(type0().LastTabIndex, 0);
  EXPECT_EQ(type0().TabName[1], "");
}

TEST_F(TabDefinitionsTest, NegativeAddressIsIgnored) {
  ASSERT_TRUE(Parse(Rows({"TABNAME,T", "REG,-1,Minus,1", "REG,&HFFFF,AlsoMinus,1"})).ok);
  EXPECT_EQ(type0().TabRegister[0][0], -1);
}

TEST_F(TabDefinitionsTest, KeywordsAreCaseInsensitiveAndAddressesMayBeHex) {
  ASSERT_TRUE(Parse(Rows({"tabname,T", "reg,&H41,Cell 1,0"})).ok);
  EXPECT_EQ(type0().RegName[65], "Cell 1");
  EXPECT_EQ(type0().TabRegister[0][0], 65);
}

TEST_F(TabDefinitionsTest, RegRowWithOnlyAnAddressTakesDefaults) {
  model->type[0].RegName[5] = "old";
  model->type[0].RegDecodedLabel[5] = "old label";
  model->type[0].RegScale[5] = 7.0;
  ASSERT_TRUE(Parse(Rows({"TABNAME,T", "REG,5"})).ok);
  EXPECT_EQ(type0().RegName[5], "");
  EXPECT_EQ(type0().RegKind[5], -1);
  EXPECT_EQ(type0().RegDecodedLabel[5], "");
  EXPECT_EQ(type0().RegDecodedUnits[5], "");
  EXPECT_EQ(type0().RegScale[5], 1.0);
  EXPECT_EQ(type0().TabRegister[0][0], 5);
}

TEST_F(TabDefinitionsTest, RegRowWithoutAddressIsIgnored) {
  ASSERT_TRUE(Parse(Rows({"TABNAME,T", "REG", "REG,9,Nine,1"})).ok);
  EXPECT_EQ(type0().TabRegister[0][0], 9);
}

// A numeric field that is not wholly a number stops the run at its row, naming the field; a
// number with blanks around it is read.
TEST_F(TabDefinitionsTest, NumericFieldsMustHoldANumber) {
  const struct {
    const char* row;
    const char* problem;
  } cases[] = {
      {"TINT25,hot", "TINT25 field 1 (raw reading at 25 degC) is \"hot\", which is not a number"},
      {"REG,abc,Zero,1", "REG field 1 (address) is \"abc\", which is not a number"},
      {"REG,&H4O,Typo,1", "REG field 1 (address) is \"&H4O\", which is not a number"},
      {"REG,5,Five,rw", "REG field 3 (kind) is \"rw\", which is not a number"},
      {"REG,5,Five,,L,U,1", "REG field 3 (kind) is \"\", which is not a number"},
      {"REG,5,Five,1,L,U,nan", "REG field 6 (scale) is \"nan\", which is not a number"},
      {"REG,5,Five,1,L,U,inf", "REG field 6 (scale) is \"inf\", which is not a number"},
      {"REG,5,Five,1,L,U,0.5 V", "REG field 6 (scale) is \"0.5 V\", which is not a number"},
  };
  for (const auto& c : cases) {
    const auto result = Parse(Rows({"TABNAME,T", c.row, "REG,6,Six,1"}));
    EXPECT_FALSE(result.ok) << c.row;
    EXPECT_EQ(result.errorLine, 2) << c.row;
    EXPECT_EQ(result.fieldProblem, c.problem);
    EXPECT_EQ(result.errorText, std::string("line 2: ") + c.problem);
    EXPECT_EQ(state.Tint25, 9217) << c.row;
    EXPECT_EQ(type0().RegKind[6], kKindUndefined) << c.row;
  }
  ASSERT_TRUE(Parse(Rows({"TABNAME,T", "TINT25, 9100 ", "REG,\t&H41 ,Cell,0 ,L,V, 1e-3\t"})).ok);
  EXPECT_EQ(state.Tint25, 9100);
  EXPECT_EQ(type0().RegKind[0x41], 0);
  EXPECT_DOUBLE_EQ(type0().RegScale[0x41], 0.001);
}

TEST_F(TabDefinitionsTest, AddressesRoundHalfToEven) {
  ASSERT_TRUE(Parse(Rows({"TABNAME,T", "REG,2.5,Two,1", "REG,3.5,Four,1"})).ok);
  EXPECT_EQ(type0().TabRegister[0][0], 2);
  EXPECT_EQ(type0().TabRegister[0][1], 4);
}

TEST_F(TabDefinitionsTest, LastTint25RowWinsWhateverItsSection) {
  ASSERT_TRUE(Parse(Rows({"TINT25,9000", "BEGIN52401", "TINT25,&H2400", "TINT25"})).ok);
  EXPECT_EQ(state.Tint25, 0x2400);
}

TEST_F(TabDefinitionsTest, Tint25TooLargeStopsTheRunWithOverflow) {
  const auto result = Parse(Rows({"TINT25,40000"}));
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.errorText,
            "Error in ParseTabsefsCreateTabs Err.Number = 6, Err.Description = Overflow");
  EXPECT_EQ(state.Tint25, 9217);
}

TEST_F(TabDefinitionsTest, ScaleBeyondDoubleRangeStopsTheRun) {
  EXPECT_FALSE(Parse(Rows({"TABNAME,T", "REG,1,One,1,L,U,1e999"})).ok);
}

TEST_F(TabDefinitionsTest, KeywordWithLeadingBlankIsNotARow) {
  ASSERT_TRUE(Parse(Rows({"TABNAME,T", " REG,7,Seven,1", "REG ,8,Eight,1"})).ok);
  EXPECT_EQ(type0().TabRegister[0][0], -1);
  EXPECT_EQ(type0().RegKind[7], -1);
  EXPECT_EQ(type0().RegKind[8], -1);
}

TEST_F(TabDefinitionsTest, UnknownRowsAndEmptyLinesAreSkipped) {
  ASSERT_TRUE(
      Parse(Rows({"KEYWORD,ADDRESS,NAME", "", "# comment", ",,,", "TABNAME,T", "REG,3,Three,1"}))
          .ok);
  EXPECT_EQ(type0().TabRegister[0][0], 3);
}

TEST_F(TabDefinitionsTest, FiftySecondTabOfASectionStopsTheRun) {
  std::string text;
  for (int tab = 0; tab < kMaxTabs; ++tab) text += "TABNAME,Tab" + std::to_string(tab) + "\r\n";
  ASSERT_TRUE(Parse(text).ok);
  EXPECT_EQ(type0().LastTabIndex, 50);

  const auto result = Parse(text + "TABNAME,One too many\r\n");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.errorText, kSubscriptError);
  EXPECT_EQ(result.errorLine, kMaxTabs + 1);
  EXPECT_EQ(type0().LastTabIndex, 50);
  EXPECT_EQ(type0().TabName[50], "Tab50");
}

TEST_F(TabDefinitionsTest, EachSectionHasItsOwnFiftyOneTabs) {
  std::string text;
  for (const char* begin : {"BEGIN52400", "BEGIN52401"}) {
    text += std::string(begin) + "\r\n";
    for (int tab = 0; tab < kMaxTabs; ++tab) text += "TABNAME,T\r\n";
  }
  ASSERT_TRUE(Parse(text).ok);
  EXPECT_EQ(type0().LastTabIndex, 50);
  EXPECT_EQ(type1().LastTabIndex, 50);
}

TEST_F(TabDefinitionsTest, RegBeforeTheFirstTabnameOfASectionStopsTheRun) {
  auto result = Parse(Rows({"REG,1,One,1"}));
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.errorText, kSubscriptError);

  state.SelectedDeviceType = 1;
  result = Parse(Rows({"TABNAME,T", "REG,1,One,1", "BEGIN52401", "REG,2,Two,1"}));
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.errorLine, 4);
  EXPECT_EQ(type0().TabRegister[0][0], 1);
  EXPECT_EQ(type1().TabRegister[0][0], -1);
  // A failed run leaves the selected device type alone.
  EXPECT_EQ(state.SelectedDeviceType, 1);
}

TEST_F(TabDefinitionsTest, SectionsFillTheirOwnDeviceType) {
  ASSERT_TRUE(
      Parse(Rows({"TABNAME,Zero", "REG,&H41,Primary cell,0", "BEGIN52401", "TABNAME,OneA",
                  "TABNAME,OneB", "REG,&H41,Companion cell,0", "BEGIN52400", "TABNAME,Restarted"}))
          .ok);
  EXPECT_EQ(type0().TabName[0], "Restarted");
  EXPECT_EQ(type0().LastTabIndex, 0);
  EXPECT_EQ(type0().TabRegister[0][0], 0x41);
  EXPECT_EQ(type0().RegName[0x41], "Primary cell");
  EXPECT_EQ(type1().LastTabIndex, 1);
  EXPECT_EQ(type1().TabName[1], "OneB");
  EXPECT_EQ(type1().TabRegister[1][0], 0x41);
  EXPECT_EQ(type1().RegName[0x41], "Companion cell");
}

TEST_F(TabDefinitionsTest, TabnameWithoutCaptionKeepsThePreviousCaption) {
  model->type[0].TabName[0] = "Earlier";
  ASSERT_TRUE(Parse(Rows({"TABNAME"})).ok);
  EXPECT_EQ(type0().TabName[0], "Earlier");
}

TEST_F(TabDefinitionsTest, TextRowsNeedTheirFieldAndOnlyTitlebarChangesTheCaption) {
  auto result = Parse(Rows({"TITLE,Map", "PART1,Other", "PART2,NONE"}));
  EXPECT_TRUE(result.ok);
  EXPECT_FALSE(result.titleBarSeen);
  EXPECT_EQ(state.PartName52400, "QVM52400");
  EXPECT_EQ(state.PartName52401, "QVM52401");

  EXPECT_TRUE(Parse(Rows({"TITLEBAR,anything"})).titleBarSeen);
  for (const char* keyword : {"TITLEBAR", "TITLE", "PART1", "PART2"}) {
    result = Parse(Rows({keyword}));
    EXPECT_FALSE(result.ok) << keyword;
    EXPECT_EQ(result.errorText, kSubscriptError) << keyword;
  }
}

TEST_F(TabDefinitionsTest, BareLineFeedsMakeOneLine) {
  ASSERT_TRUE(Parse("TABNAME,T\nREG,5,Five,1\n").ok);
  EXPECT_EQ(type0().TabName[0], "T\nREG");
  EXPECT_EQ(type0().TabRegister[0][0], -1);
  EXPECT_EQ(type0().RegKind[5], -1);
}

TEST_F(TabDefinitionsTest, LastLineNeedsNoLineEnd) {
  ASSERT_TRUE(Parse("TABNAME,T\r\nREG,5,Five,1").ok);
  EXPECT_EQ(type0().RegName[5], "Five");
  EXPECT_EQ(type0().RegKind[5], 1);
}

TEST_F(TabDefinitionsTest, SuccessfulRunSelectsDeviceTypeZero) {
  state.SelectedDeviceType = 1;
  ASSERT_TRUE(Parse(Rows({"TABNAME,T"})).ok);
  EXPECT_EQ(state.SelectedDeviceType, 0);
}

TEST_F(TabDefinitionsTest, SecondRunResetsKindsTabsAndImageButKeepsUntouchedTables) {
  ASSERT_TRUE(Parse(Rows({"TABNAME,First A", "TABNAME,First B", "REG,&H41,Cell 1,0,Cell 1,V,0.0006",
                          "REG,&H90,OV,1,OV Limit,V,0.0006", "BITS,a,b,c,d,e,f,g,h,i,j,k,l,m,n",
                          "BEGIN52401", "TABNAME,Companion", "REG,&H41,Companion Cell,0"}))
                  .ok);
  image->StoreRead(0, 1, 0x41, 1234, 1);
  image->StoreRead(1, 3, 0x90, 55, 1);

  ASSERT_TRUE(Parse(Rows({"TABNAME,Second", "REG,&H42,Cell 2,0"})).ok);
  EXPECT_EQ(type0().TabName[0], "Second");
  EXPECT_EQ(type0().TabName[1], "First B");
  EXPECT_EQ(type0().LastTabIndex, 0);
  EXPECT_EQ(type1().LastTabIndex, 0);
  EXPECT_EQ(type0().TabRegister[0][0], 0x42);
  EXPECT_EQ(type0().TabRegister[1][0], -1);
  EXPECT_EQ(type1().TabRegister[0][0], -1);
  EXPECT_EQ(type0().RegKind[0x41], -1);
  EXPECT_EQ(type0().RegKind[0x90], -1);
  EXPECT_EQ(type1().RegKind[0x41], -1);
  EXPECT_EQ(type0().RegName[0x41], "Cell 1");
  EXPECT_EQ(type0().RegDecodedLabel[0x90], "OV Limit");
  EXPECT_DOUBLE_EQ(type0().RegScale[0x90], 0.0006);
  EXPECT_EQ(model->BitName(0, 0x90, 13), "a");
  EXPECT_EQ(type1().TabName[0], "Companion");
  EXPECT_EQ(image->at(0, 1, 0x41), 0);
  EXPECT_EQ(image->at(1, 3, 0x90), 0);
}

TEST(TitleBarCaption, PutsTwoBlanksBeforeVersion) {
  EXPECT_EQ(TitleBarCaption(2, 1, 7), "Velquist BMS Evaluation Software  Version 2.1.7");
}

TEST(CompanionVisibility, NoneInAnyCaseHidesTheCompanion) {
  for (const char* name : {"NONE", "none", "NoNe"}) {
    const auto visibility = CompanionVisibilityFor(name);
    EXPECT_TRUE(visibility.hidden) << name;
    EXPECT_FALSE(visibility.showHexLog) << name;
  }
}

TEST(CompanionVisibility, RealNameShowsMenuAndHexLog) {
  const auto visibility = CompanionVisibilityFor("QVM52401");
  EXPECT_FALSE(visibility.hidden);
  EXPECT_EQ(visibility.menuCaption, "QVM52401");
  EXPECT_TRUE(visibility.showHexLog);
}

TEST(CompanionVisibility, EmptyNameShowsTheOptionButNotTheHexLog) {
  const auto visibility = CompanionVisibilityFor("");
  EXPECT_FALSE(visibility.hidden);
  EXPECT_FALSE(visibility.showHexLog);
  EXPECT_FALSE(CompanionVisibilityFor(" NONE").hidden);
}

}  // namespace
}  // namespace qvm
