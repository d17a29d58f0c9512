// SPDX-License-Identifier: MIT
#include "console/register_editor.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <array>
#include <string>

#include "console/register_row.h"
#include "editor_fixture.h"
#include "sim/chain/chain_faults.h"

namespace qvm::test {
namespace {

constexpr int kUser01 = 2 * 64 + 0x16;
constexpr int kUser23 = 2 * 64 + 0x17;
const QColor kGrey(0x7F, 0x7F, 0x7F);

// The colour the button is painted in, inside its border and left of its caption.
bool HasColour(QWidget* widget, const QColor& colour) {
  return widget->grab().toImage().pixelColor(3, widget->height() / 2) == colour;
}

// The bits shown on a row, counted from bit 0.
int BitsShown(const RegisterEditor& editor, int row) {
  int shown = 0;
  for (int bit = 0; bit < kBitsPerRegister; ++bit) {
    const auto i = static_cast<std::size_t>(row * kBitsPerRegister + bit);
    EXPECT_EQ(editor.lblBitName[i]->isHidden(), editor.cbRegToggleBit[i]->isHidden());
    if (!editor.cbRegToggleBit[i]->isHidden()) {
      EXPECT_EQ(shown, bit) << "bits shown out of order on row " << row;
      ++shown;
    }
  }
  return shown;
}

struct ExpectedRow {
  const char* button;
  bool send;
  bool write;
  int bits;
  bool value;
};

void ExpectRow(const RegisterEditor& editor, int row, const ExpectedRow& expected) {
  const auto r = static_cast<std::size_t>(row);
  SCOPED_TRACE("row " + std::to_string(row));
  EXPECT_TRUE(editor.RegisterSlotVisible(row));
  EXPECT_EQ(editor.cbRead[r]->text().toStdString(), expected.button);
  EXPECT_TRUE(HasColour(editor.cbRead[r],
                        expected.send ? QColor(0xC0, 0xC0, 0xC0) : QColor(0x80, 0xFF, 0x80)));
  EXPECT_EQ(!editor.cbWrite[r]->isHidden(), expected.write);
  EXPECT_EQ(BitsShown(editor, row), expected.bits);
  EXPECT_EQ(!editor.tbRegdata[r]->isHidden(), expected.value);
  EXPECT_EQ(!editor.updnRegData[r]->isHidden(), expected.value);
}

TEST(RowLayoutTable, AccessCodesSelectTheControls) {
  EXPECT_TRUE(RowLayoutFor(0).readable);
  EXPECT_FALSE(RowLayoutFor(0).writable);
  EXPECT_TRUE(RowLayoutFor(1).writable);
  for (const int kind : {2, 3, 4, 5}) {
    EXPECT_TRUE(RowLayoutFor(kind).send) << kind;
    EXPECT_FALSE(RowLayoutFor(kind).readable) << kind;
    EXPECT_FALSE(RowLayoutFor(kind).writable) << kind;
  }
  for (const int kind : {-1, 6, 99}) {
    const RowLayout layout = RowLayoutFor(kind);
    EXPECT_FALSE(layout.send || layout.writable || layout.readable) << kind;
    EXPECT_EQ(layout.bitsShown, 14) << kind;
  }
  EXPECT_EQ(RegAddrText(kUser01), "cat 0x2, addr 0x16");
  EXPECT_EQ(RegAddrText(0x1FF), "cat 0x7, addr 0x3F");
  EXPECT_EQ(RegAddrText(0), "cat 0x0, addr 0x00");
}

class RegisterEditorPage : public ::testing::Test {
 protected:
  EditorOnSimulatedBoard board{"daisy:52400x3"};
  RegisterEditor& editor = *board.editor;
};

TEST_F(RegisterEditorPage, NothingIsShownBeforeTheFirstTab) {
  EXPECT_EQ(editor.SelectedTab(), -1);
  for (int row = 0; row < kSlotsPerTab; ++row) EXPECT_FALSE(editor.RegisterSlotVisible(row));
  EXPECT_TRUE(editor.cbReadRegs->isHidden());
  EXPECT_TRUE(editor.cbWriteRegs->isHidden());
}

TEST_F(RegisterEditorPage, WidgetsCarryTheirNames) {
  EXPECT_EQ(editor.findChild<QPushButton*>("cbRead3"), editor.cbRead[3]);
  EXPECT_EQ(editor.findChild<QPushButton*>("cbWrite7"), editor.cbWrite[7]);
  EXPECT_EQ(editor.findChild<QPushButton*>("cbRegToggleBit17"), editor.cbRegToggleBit[17]);
  EXPECT_EQ(editor.findChild<QLabel*>("lblBitName111"), editor.lblBitName[111]);
  EXPECT_EQ(editor.findChild<OverwriteEdit*>("tbRegdata0"), editor.tbRegdata[0]);
  EXPECT_EQ(editor.findChild<QSpinBox*>("updnRegData5"), editor.updnRegData[5]);
  EXPECT_EQ(editor.findChild<QFrame*>("fmRegCtrls6"), editor.fmRegCtrls[6]);
  EXPECT_EQ(editor.findChild<QLineEdit*>("tbRegDecodedVal2"), editor.tbRegDecodedVal[2]);
  EXPECT_EQ(editor.findChild<QLabel*>("lblRegDecodedUnits4"), editor.lblRegDecodedUnits[4]);
  EXPECT_EQ(editor.findChild<QPushButton*>("cbReadRegs"), editor.cbReadRegs);
  EXPECT_EQ(editor.findChild<QPushButton*>("cbWriteRegs"), editor.cbWriteRegs);
}

TEST_F(RegisterEditorPage, MixedPageLaysOutEachRowByItsCode) {
  editor.ShowTab(kTabUserSerial);
  EXPECT_EQ(editor.SelectedTab(), kTabUserSerial);
  EXPECT_EQ(editor.registerSlots().selectedTab, kTabUserSerial + 1);
  ExpectRow(editor, 0, {"Read", false, true, 14, true});
  ExpectRow(editor, 1, {"Read", false, true, 14, true});
  ExpectRow(editor, 2, {"Read", false, false, 14, true});
  ExpectRow(editor, 4, {"Send", true, false, 0, false});
  for (int row = 5; row < kSlotsPerTab; ++row) EXPECT_FALSE(editor.RegisterSlotVisible(row));
  EXPECT_EQ(editor.lblRegName[0]->text(), "User Register 01");
  EXPECT_EQ(editor.lblRegAddr[0]->text(), "cat 0x2, addr 0x16");
  EXPECT_FALSE(editor.cbReadRegs->isHidden());
  EXPECT_FALSE(editor.cbWriteRegs->isHidden());
}

TEST_F(RegisterEditorPage, CommandRowsShowTheirArgumentBitsOnly) {
  editor.ShowTab(kTabScanCommands);
  for (int row = 0; row < 7; ++row) ExpectRow(editor, row, {"Send", true, false, 0, false});
  ExpectRow(editor, 7, {"Send", true, false, 6, true});
  EXPECT_EQ(editor.lblBitName[7 * 14 + 5]->text(), "Type1");
  EXPECT_EQ(editor.lblBitName[7 * 14 + 0]->text(), "Select0");
  editor.ShowTab(kTabDeviceCommands);
  ExpectRow(editor, 0, {"Send", true, false, 6, true});
  ExpectRow(editor, 1, {"Send", true, false, 0, false});
}

TEST_F(RegisterEditorPage, CommandOnlyPagesShowNoGroupButton) {
  for (const int tab : {kTabScanCommands, kTabDeviceCommands, kTabBalanceCommands}) {
    editor.ShowTab(kTabUserSerial);
    editor.ShowTab(tab);
    EXPECT_TRUE(editor.cbReadRegs->isHidden()) << tab;
    EXPECT_TRUE(editor.cbWriteRegs->isHidden()) << tab;
  }
}

TEST_F(RegisterEditorPage, ReadOnlyPageOffersReadGroupOnly) {
  editor.ShowTab(kTabVoltages1);
  EXPECT_FALSE(editor.cbReadRegs->isHidden());
  EXPECT_TRUE(editor.cbWriteRegs->isHidden());
  for (int row = 0; row < kSlotsPerTab; ++row) {
    ExpectRow(editor, row, {"Read", false, false, 14, true});
  }
}

TEST_F(RegisterEditorPage, UndefinedKindLaysOutAsARead) {
  auto& tables = board.session.model.type[0];
  tables.TabRegister[20][0] = 0x1F0;
  tables.RegKind[0x1F0] = -1;
  for (int row = 1; row < kSlotsPerTab; ++row)
    tables.TabRegister[20][static_cast<std::size_t>(row)] = -1;
  editor.ShowTab(20);
  ExpectRow(editor, 0, {"Read", false, false, 14, true});
  EXPECT_TRUE(editor.cbReadRegs->isHidden());
  EXPECT_TRUE(editor.cbWriteRegs->isHidden());
}

// Every line of a shown name fits its column at a legible size, and reads back as the name.
TEST_F(RegisterEditorPage, LongNamesWrapLegiblyWithTheWholeNameInTheTooltip) {
  auto& tables = board.session.model.type[0];
  tables.TabRegister[20][0] = 0x1F0;
  tables.RegKind[0x1F0] = 1;
  const std::array<std::string, 5> names = {"Undervoltage", "Vss Open Wire", "EE Checksum",
                                            "Cell OV", "OVERTEMPERATURESHUTDOWNLATCHED"};
  for (std::size_t bit = 0; bit < names.size(); ++bit) tables.BitName[0x1F0][bit] = names[bit];
  tables.RegName[0x1F0] = "Cell 12 Balance Value High";
  editor.ShowTab(20);
  const QFont base = editor.font();
  for (std::size_t bit = 0; bit < names.size(); ++bit) {
    const QLabel* label = editor.lblBitName[bit];
    const QString whole = QString::fromStdString(names[bit]);
    EXPECT_EQ(label->toolTip(), whole);
    EXPECT_GE(label->font().pointSizeF(), 0.7 * base.pointSizeF());
    const QStringList lines = label->text().split('\n');
    EXPECT_LE(lines.size(), 3) << label->text().toStdString();
    for (const QString& line : lines)
      EXPECT_LE(label->fontMetrics().horizontalAdvance(line), label->width()) << line.toStdString();
    QString joined = lines.join(' ');
    joined.replace("- ", "");
    if (!joined.endsWith(QChar(0x2026))) {
      EXPECT_EQ(joined, whole);
    }
  }
  EXPECT_EQ(editor.lblBitName[0]->text().count('\n'), 1);
  EXPECT_TRUE(editor.lblBitName[4]->text().endsWith(QChar(0x2026)));
  EXPECT_EQ(editor.lblRegName[0]->text().replace('\n', ' '), "Cell 12 Balance Value High");
  EXPECT_EQ(editor.lblRegName[0]->toolTip(), "Cell 12 Balance Value High");
}

TEST_F(RegisterEditorPage, DecodedValueOnlyWithALabel) {
  editor.ShowTab(kTabLimits);
  EXPECT_FALSE(editor.tbRegDecodedVal[0]->isHidden());
  EXPECT_FALSE(editor.lblRegDecodedLabel[0]->isHidden());
  EXPECT_EQ(editor.lblRegDecodedLabel[0]->text(), "OV Limit");
  EXPECT_EQ(editor.lblRegDecodedUnits[0]->text(), "V");
  editor.ShowTab(kTabFaults);
  for (int row = 0; row < 5; ++row) {
    const auto r = static_cast<std::size_t>(row);
    EXPECT_TRUE(editor.tbRegDecodedVal[r]->isHidden());
    EXPECT_TRUE(editor.lblRegDecodedLabel[r]->isHidden());
    EXPECT_TRUE(editor.lblRegDecodedUnits[r]->isHidden());
  }
  EXPECT_EQ(editor.lblBitName[0 * 14 + 0]->text(), "OV1");
  EXPECT_EQ(editor.lblBitName[0 * 14 + 13]->text(), "Reserved");
  const QLabel* reserved = editor.lblBitName[0 * 14 + 13];
  EXPECT_LE(reserved->fontMetrics().horizontalAdvance("Reserved"), reserved->width());
}

TEST_F(RegisterEditorPage, TabOutsideTheDefinitionsHidesEveryRow) {
  editor.ShowTab(kTabUserSerial);
  for (const int tab : {kMaxTabs, -1, 200}) {
    editor.ShowTab(tab);
    for (int row = 0; row < kSlotsPerTab; ++row) EXPECT_FALSE(editor.RegisterSlotVisible(row));
    EXPECT_TRUE(editor.cbReadRegs->isHidden());
    EXPECT_TRUE(editor.cbWriteRegs->isHidden());
  }
  EXPECT_TRUE(board.errors.empty()) << board.errors;
}

TEST_F(RegisterEditorPage, RowsShowTheStoredValues) {
  board.session.image.StoreRead(0, 1, kUser01, 0x2A5, 1);
  board.session.image.StoreRead(0, 2, kUser01, 0x111, 1);
  editor.ShowTab(kTabUserSerial);
  EXPECT_EQ(editor.tbRegdata[0]->text(), "02A5");
  EXPECT_EQ(editor.updnRegData[0]->value(), 0x2A5);
  EXPECT_EQ(editor.cbRegToggleBit[0]->text(), "1");
  EXPECT_TRUE(HasColour(editor.cbRegToggleBit[0], QColor(0x00, 0xFF, 0x00)));
  EXPECT_EQ(editor.cbRegToggleBit[1]->text(), "0");
  EXPECT_TRUE(HasColour(editor.cbRegToggleBit[1], QColor(0x7F, 0x7F, 0x7F)));
  board.session.state.SelectedDevice = 2;
  editor.ShowTab(kTabUserSerial);
  EXPECT_EQ(editor.tbRegdata[0]->text(), "0111");
}

TEST_F(RegisterEditorPage, TypingChangesTheImageBitsAndUpDown) {
  editor.ShowTab(kTabUserSerial);
  OverwriteEdit* box = editor.tbRegdata[1];
  box->setFocus();
  box->setCursorPosition(4);
  QTest::keyClicks(box, "3fFf");
  EXPECT_EQ(box->text(), "3FFF");
  EXPECT_EQ(board.session.image.at(0, 1, kUser23), 0x3FFF);
  EXPECT_EQ(editor.updnRegData[1]->value(), 0x3FFF);
  for (int bit = 0; bit < kBitsPerRegister; ++bit) {
    EXPECT_EQ(editor.cbRegToggleBit[static_cast<std::size_t>(14 + bit)]->text(), "1");
  }
  // Clicking bit 13 off yields 1FFF.
  editor.cbRegToggleBit[14 + 13]->click();
  EXPECT_EQ(box->text(), "1FFF");
  EXPECT_EQ(editor.cbRegToggleBit[14 + 13]->text(), "0");
  EXPECT_TRUE(HasColour(editor.cbRegToggleBit[14 + 13], QColor(0x7F, 0x7F, 0x7F)));
  EXPECT_EQ(board.session.image.at(0, 1, kUser23), 0x1FFF);
  EXPECT_EQ(editor.updnRegData[1]->value(), 0x1FFF);
}

TEST_F(RegisterEditorPage, DeleteReleaseTakesTheShortenedText) {
  board.session.image.StoreRead(0, 1, kUser01, 0x1234, 1);
  editor.ShowTab(kTabUserSerial);
  OverwriteEdit* box = editor.tbRegdata[0];
  box->setCursorPosition(0);
  QTest::keyClick(box, Qt::Key_Delete);
  EXPECT_EQ(box->text(), "234");
  EXPECT_EQ(board.session.image.at(0, 1, kUser01), 0x234);
  EXPECT_EQ(editor.cbRegToggleBit[12]->text(), "0");
  EXPECT_EQ(editor.updnRegData[0]->value(), 0x234);
}

TEST_F(RegisterEditorPage, UpDownSetsTheTextAndTheImage) {
  editor.ShowTab(kTabLimits);
  editor.updnRegData[0]->setValue(1000);
  EXPECT_EQ(editor.tbRegdata[0]->text(), "03E8");
  EXPECT_EQ(board.session.image.at(0, 1, 0x90), 1000);
  EXPECT_EQ(editor.cbRegToggleBit[3]->text(), "1");
  EXPECT_EQ(editor.tbRegDecodedVal[0]->text().replace(',', '.'), "0.6104");
  editor.updnRegData[0]->stepBy(1);
  EXPECT_EQ(editor.tbRegdata[0]->text(), "03E9");
}

TEST_F(RegisterEditorPage, UpDownIsIgnoredWhileTheSlotsSetIt) {
  editor.ShowTab(kTabUserSerial);
  board.session.state.UpDownUpdating = true;
  editor.updnRegData[0]->setValue(0x55);
  board.session.state.UpDownUpdating = false;
  EXPECT_EQ(editor.tbRegdata[0]->text(), "");
  EXPECT_EQ(board.session.image.at(0, 1, kUser01), 0);
}

TEST_F(RegisterEditorPage, ShownValueUpdatesTheRow) {
  editor.ShowTab(kTabUserSerial);
  const int reg = board.session.model.type[0].TabRegister[kTabUserSerial][2];
  board.session.image.StoreRead(0, 1, reg, 0x421, 1);
  editor.ShowRegisterSlot(2, "0421");
  EXPECT_EQ(editor.tbRegdata[2]->text(), "0421");
  EXPECT_EQ(editor.updnRegData[2]->value(), 0x421);
  EXPECT_EQ(editor.cbRegToggleBit[2 * 14 + 10]->text(), "1");
  EXPECT_EQ(editor.cbRegToggleBit[2 * 14 + 1]->text(), "0");
  editor.ShowRegisterSlot(9, "1234");
  editor.ShowRegisterSlot(-1, "1234");
}

class RegisterEditorOnBoard : public RegisterEditorPage {
 protected:
  void SetUp() override {
    board.Connect();
    board.view.log.clear();
    editor.ShowTab(kTabUserSerial);
  }

  sim::SimulatedDevice& Device(int position) { return board.evb.chain->Device(0, position); }
};

TEST_F(RegisterEditorOnBoard, ValueTypedAndWrittenReachesTheDevice) {
  OverwriteEdit* box = editor.tbRegdata[0];
  box->setCursorPosition(4);
  QTest::keyClicks(box, "1234");
  QTest::mouseClick(editor.cbWrite[0], Qt::LeftButton);
  EXPECT_EQ(Device(1).Read(kUser01), 0x1234);
  EXPECT_EQ(Device(2).Read(kUser01), 0);
}

TEST_F(RegisterEditorOnBoard, BitsClickedAndWrittenReachTheDevice) {
  editor.cbRegToggleBit[14 + 0]->click();
  editor.cbRegToggleBit[14 + 4]->click();
  EXPECT_EQ(editor.tbRegdata[1]->text(), "0011");
  editor.cbWrite[1]->click();
  EXPECT_EQ(Device(1).Read(kUser23), 0x0011);
}

TEST_F(RegisterEditorOnBoard, UpDownSteppedAndWrittenReachesTheDevice) {
  board.session.state.SelectedDevice = 3;
  editor.ShowTab(kTabUserSerial);
  editor.updnRegData[0]->setValue(0x2A);
  editor.updnRegData[0]->stepBy(2);
  editor.cbWrite[0]->click();
  EXPECT_EQ(Device(3).Read(kUser01), 0x2C);
  EXPECT_EQ(Device(1).Read(kUser01), 0);
}

TEST_F(RegisterEditorOnBoard, ReadShowsTheDeviceValue) {
  Device(1).Write(kUser01, 0x0ABC);
  editor.cbRead[0]->click();
  EXPECT_EQ(editor.tbRegdata[0]->text(), "0ABC");
  EXPECT_EQ(editor.updnRegData[0]->value(), 0xABC);
  EXPECT_EQ(editor.cbRegToggleBit[2]->text(), "1");
  EXPECT_EQ(editor.cbRegToggleBit[0]->text(), "0");
  EXPECT_EQ(board.session.image.at(0, 1, kUser01), 0xABC);
}

TEST_F(RegisterEditorOnBoard, GroupWriteThenGroupRead) {
  editor.updnRegData[0]->setValue(0x101);
  editor.updnRegData[1]->setValue(0x202);
  editor.cbWriteRegs->click();
  EXPECT_EQ(Device(1).Read(kUser01), 0x101);
  EXPECT_EQ(Device(1).Read(kUser23), 0x202);

  Device(1).Write(kUser01, 0x0303);
  Device(1).Write(kUser23, 0x0404);
  editor.cbReadRegs->click();
  EXPECT_EQ(editor.tbRegdata[0]->text(), "0303");
  EXPECT_EQ(editor.tbRegdata[1]->text(), "0404");
  EXPECT_NE(board.view.log.find("Reading register group:"), std::string::npos);
}

TEST_F(RegisterEditorOnBoard, ReadLeavesTheRowAloneWithoutDisplayUpdates) {
  board.view.updateGuiControls = false;
  Device(1).Write(kUser01, 0x0ABC);
  editor.cbRead[0]->click();
  EXPECT_EQ(board.session.image.at(0, 1, kUser01), 0xABC);
  EXPECT_EQ(editor.tbRegdata[0]->text(), "");
}

TEST_F(RegisterEditorOnBoard, FailedReadGreysTheRowUntilAGoodRead) {
  editor.ShowTab(kTabLimits);
  constexpr int kOvLimit = 0x90;
  const auto stale = [&] {
    return editor.tbRegdata[0]->palette().color(QPalette::Text) == kGrey &&
           editor.tbRegDecodedVal[0]->palette().color(QPalette::Text) == kGrey;
  };
  EXPECT_EQ(editor.tbRegdata[0]->text(), "");
  EXPECT_EQ(editor.tbRegDecodedVal[0]->text(), "");

  Device(1).Write(kOvLimit, 0x20D0);
  editor.cbRead[0]->click();
  const QString decoded = editor.tbRegDecodedVal[0]->text();
  EXPECT_FALSE(decoded.isEmpty());
  EXPECT_FALSE(stale());

  board.evb.chain->Faults().silentDevice = sim::kAlways;
  editor.cbRead[0]->click();
  EXPECT_EQ(editor.tbRegdata[0]->text(), "20D0");
  EXPECT_EQ(editor.tbRegDecodedVal[0]->text(), decoded);
  EXPECT_TRUE(stale());
  const std::string readAt =
      ReadTimeOfDay(board.clock, board.localTime)(board.session.image.ReadAtMs(0, 1, kOvLimit));
  EXPECT_EQ(editor.tbRegdata[0]->toolTip().toStdString(),
            "Last read " + readAt + "; the last read failed");

  board.evb.chain->Faults().silentDevice = 0;
  editor.cbRead[0]->click();
  EXPECT_FALSE(stale());
  EXPECT_TRUE(editor.tbRegDecodedVal[0]->toolTip().isEmpty());
}

TEST_F(RegisterEditorOnBoard, BlankRowOffersNoWriteUntilItHoldsAValue) {
  Device(1).Write(kUser01, 0x0155);
  EXPECT_FALSE(editor.cbWrite[0]->isEnabled());
  editor.cbWriteRegs->click();
  EXPECT_EQ(Device(1).Read(kUser01), 0x0155);

  editor.updnRegData[1]->setValue(0x22);
  EXPECT_TRUE(editor.cbWrite[1]->isEnabled());
  EXPECT_FALSE(editor.cbWrite[0]->isEnabled());
  editor.cbWriteRegs->click();
  EXPECT_EQ(Device(1).Read(kUser23), 0x22);
  EXPECT_EQ(Device(1).Read(kUser01), 0x0155);
}

TEST_F(RegisterEditorOnBoard, CommandRowSendsItsArgument) {
  editor.ShowTab(kTabScanCommands);
  OverwriteEdit* box = editor.tbRegdata[7];
  box->setCursorPosition(4);
  QTest::keyClick(box, Qt::Key_5);
  editor.cbRead[7]->click();
  EXPECT_NE(board.view.log.find("adr0x08,dat0x05"), std::string::npos) << board.view.log;
}

}  // namespace
}  // namespace qvm::test
