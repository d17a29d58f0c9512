#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

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
  tool().optMode[1]->click();
  EXPECT_FALSE(tool().cbRead[0]->isVisible());
  EXPECT_FALSE(tool().cbReadAll->isVisible());
  EXPECT_FALSE(tool().fraDeviceNumber->isVisible());
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
  tool().cboDeviceNumber->setCurrentIndex(2);
  tool().cboDeviceNumber_Click(2);
  EXPECT_EQ(session().state.SelectedDevice, 2);
  EXPECT_EQ(rig.console->cboDeviceNumber->currentIndex(), 2);
  tool().cbReadAll->click();
  EXPECT_EQ(tool().tbRegdataHex[2]->text(), "0004002");
  tool().OKButton->click();
  EXPECT_FALSE(tool().isVisible());
}

}  // namespace
}  // namespace qvm::test
