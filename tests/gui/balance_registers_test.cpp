// SPDX-License-Identifier: MIT
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include "balancing/frm_balance_sequence.h"
#include "console_fixture.h"
#include "operations/balance_values.h"

namespace qvm::test {
namespace {

class BalanceRegistersTool : public ::testing::Test {
 protected:
  BalanceRegistersTool() : rig("daisy:52400x3") {
    rig.console->show();
    rig.ConfirmConfiguration(true, 1, 3);
    rig.console->mainTabPage->cbConfigureBalanceRegs->click();
  }

  FrmBalanceRegisters& tool() { return rig.console->balanceRegisters(); }
  Session& session() { return rig.console->session(); }

  int WriteLines() const {
    return static_cast<int>(
        rig.console->txtLog->toPlainText().split('\n').filter(QRegularExpression("^wrt,")).size());
  }

  ConsoleOnSimulatedBoard rig;
};

TEST_F(BalanceRegistersTool, HexEntryFillsTheDecimalBoxAndBothRegisters) {
  ASSERT_TRUE(tool().isVisible());
  EXPECT_EQ(tool().windowTitle(), "QVM52400 Balance Value Registers");
  OverwriteEdit* hex = tool().tbRegdataHex[0];
  hex->setFocus();
  hex->end(false);
  QTest::keyClicks(hex, "4001");
  EXPECT_EQ(hex->text(), "0004001");
  EXPECT_EQ(tool().tbRegdataDec[0]->text(), "000016385");
  EXPECT_EQ(tool().updnRegData[0]->value(), 0x4001);
  EXPECT_EQ(session().image.at(0, 1, 0xA0), 1);
  EXPECT_EQ(session().image.at(0, 1, 0xA1), 1);

  tool().cbWrite[0]->click();
  EXPECT_EQ(rig.evb->chain->Device(0, 1).Read(0xA0), 1);
  EXPECT_EQ(rig.evb->chain->Device(0, 1).Read(0xA1), 1);
  EXPECT_EQ(rig.evb->chain->Device(0, 2).Read(0xA0), 0);
}

TEST_F(BalanceRegistersTool, DecimalEntryIsCappedAndUpDownSteps) {
  OverwriteEdit* dec = tool().tbRegdataDec[2];
  dec->setFocus();
  dec->setCursorPosition(0);
  QTest::keyClicks(dec, "9");
  EXPECT_EQ(dec->text(), "268435455");
  EXPECT_EQ(tool().tbRegdataHex[2]->text(), "FFFFFFF");
  tool().updnRegData[2]->stepDown();
  EXPECT_EQ(tool().tbRegdataHex[2]->text(), "FFFFFFE");
  EXPECT_EQ(tool().tbRegdataDec[2]->text(), "268435454");
  EXPECT_EQ(BalanceValue(session().image, 1, 2), 0xFFFFFFEu);
}

TEST_F(BalanceRegistersTool, AllDevicesModeWritesEveryDeviceAndHidesTheReads) {
  tool().header->optMode[1]->click();
  EXPECT_FALSE(tool().cbRead[0]->isVisible());
  EXPECT_FALSE(tool().cbReadAll->isVisible());
  EXPECT_FALSE(tool().header->fraDeviceNumber->isVisible());
  for (int device = 1; device <= 3; ++device) {
    StoreBalanceValue(session().image, device, 5, static_cast<std::uint32_t>(device));
  }
  rig.console->txtLog->clear();
  tool().cbWrite[5]->click();
  EXPECT_EQ(WriteLines(), 6);
  EXPECT_EQ(rig.evb->chain->Device(0, 3).Read(0xAA), 3);
}

TEST_F(BalanceRegistersTool, ReadAllShowsTheDeviceValuesAndTheListFollowsTheConsole) {
  rig.evb->chain->Device(0, 2).Poke(0xA4, 0x0002);
  rig.evb->chain->Device(0, 2).Poke(0xA5, 0x0001);
  tool().header->cboDeviceNumber->setCurrentIndex(2);
  tool().header->cboDeviceNumber_Click(2);
  EXPECT_EQ(session().state.SelectedDevice, 2);
  EXPECT_EQ(rig.console->cboDeviceNumber->currentIndex(), 2);
  tool().cbReadAll->click();
  EXPECT_EQ(tool().tbRegdataHex[2]->text(), "0004002");
  tool().OKButton->click();
  EXPECT_FALSE(tool().isVisible());
}

TEST(BalanceSequenceTool, BankTextBitsAndUpDownStayInStep) {
  ConsoleOnSimulatedBoard rig("daisy:52400x3");
  rig.console->show();
  rig.ConfirmConfiguration(true, 1, 3);
  rig.console->mainTabPage->cbConfigureBalanceSequence->click();
  FrmBalanceSequence& tool = rig.console->balanceSequence();
  ASSERT_TRUE(tool.isVisible());
  EXPECT_EQ(tool.windowTitle(), "QVM52400 Balance Sequence");
  EXPECT_TRUE(rig.console->BalanceSequenceVisible());

  OverwriteEdit* bank2 = tool.tbRegdata[2];
  bank2->setFocus();
  bank2->end(false);
  QTest::keyClicks(bank2, "FFFF");
  EXPECT_EQ(bank2->text(), "FFFF");
  EXPECT_EQ(tool.updnRegData[2]->value(), 0xFFF);
  bank2->clear();
  bank2->setText("0000");
  bank2->end(false);
  QTest::keyClicks(bank2, "FFF");
  for (int b = 0; b < kBalanceBankCells; ++b) {
    EXPECT_EQ(tool.cbRegToggleBit[2 * kBalanceBankCells + b]->text(), "1") << b;
  }
  tool.cbRegToggleBit[2 * kBalanceBankCells + 5]->click();
  EXPECT_EQ(bank2->text(), "0FDF");
  Session& session = rig.console->session();
  EXPECT_EQ(session.state.BalanceStatusImage[1][2], 0x0FDF);

  rig.evb->chain->Device(0, 1).Poke(0x93, 0x0205);
  rig.evb->chain->Device(0, 1).Poke(0x94, 0x0123);
  tool.cbRead[3]->click();
  EXPECT_EQ(rig.evb->chain->Device(0, 1).Read(0x93), 0x0265);
  EXPECT_EQ(tool.tbRegdata[3]->text(), "0123");
  EXPECT_EQ(tool.cbRegToggleBit[3 * kBalanceBankCells + 0]->text(), "1");
  EXPECT_EQ(tool.cbRegToggleBit[3 * kBalanceBankCells + 2]->text(), "0");

  tool.header->optMode[1]->click();
  rig.console->txtLog->clear();
  tool.cbWrite[2]->click();
  EXPECT_EQ(rig.evb->chain->Device(0, 3).Read(0x94), 0x0FDF);
  tool.OKButton->click();
  EXPECT_FALSE(rig.console->BalanceSequenceVisible());
}

}  // namespace
}  // namespace qvm::test
