// SPDX-License-Identifier: MIT
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <numeric>

#include "console_fixture.h"
#include "core/hex.h"
#include "model/decoders.h"
#include "sim/bridge/bridge_faults.h"
#include "sim/chain/chain_faults.h"
#include "ui/led_indicator.h"

namespace qvm::test {
namespace {

const QColor kGreen(0x00, 0xFF, 0x00);
const QColor kGrey(0x7F, 0x7F, 0x7F);
const QColor kRed(0xFF, 0x00, 0x00);
const QColor kYellow(0xFF, 0xFF, 0x00);

// A console connected to a simulated daisy chain, on the tab of the given name.
class ConnectedConsole : public ::testing::Test {
 protected:
  void Connect(const std::string& chain, int stackSize, int family = 1, bool daisy = true) {
    rig = std::make_unique<ConsoleOnSimulatedBoard>(chain);
    rig->console->show();
    rig->ConfirmConfiguration(daisy, family, stackSize);
    ASSERT_TRUE(rig->console->session().bridge.EvbConnected);
  }

  GenericVbDiag& console() { return *rig->console; }

  void SelectTab(const QString& name) {
    QTabBar& tabs = *console().TabStrip1;
    for (int tab = 0; tab < tabs.count(); ++tab) {
      if (tabs.tabText(tab) == name) {
        console().SelectTab(tab);
        return;
      }
    }
    FAIL() << "no tab " << name.toStdString();
  }

  void Click(const char* button) {
    auto* found = console().findChild<QPushButton*>(button);
    ASSERT_NE(found, nullptr) << button;
    found->click();
  }

  std::vector<std::string> LogLinesStartingWith(const std::string& prefix) {
    std::vector<std::string> lines;
    for (const QString& line : console().txtLog->toPlainText().split('\n')) {
      if (line.startsWith(QString::fromStdString(prefix))) lines.push_back(line.toStdString());
    }
    return lines;
  }

  double Volts(const QLineEdit* box) { return box->text().toDouble(); }

  std::unique_ptr<ConsoleOnSimulatedBoard> rig;
};

TEST_F(ConnectedConsole, ScanAndReadVoltsShowTheSelectedDeviceAndTheStack) {
  Connect("daisy:52400x3", 3);
  SelectTab("MAIN");
  MainTabPage& page = *console().mainTabPage;
  EXPECT_TRUE(page.fraMainTabDeviceStatus->isVisible());
  // Nothing read yet: no value, no cell in use.
  for (const QLineEdit* box : page.findChildren<QLineEdit*>()) {
    EXPECT_TRUE(box->text().isEmpty()) << box->objectName().toStdString();
  }
  EXPECT_EQ(page.ledMainTabCellSetup[0]->colour(), kGrey);

  Click("cbScanAllVolts");
  Click("cbReadAllVolts");

  for (int cell = 0; cell < kCellsPerDevice; ++cell) {
    const double volts = Volts(page.tbMainTabCellVoltage[cell]);
    EXPECT_GT(volts, 3.0) << "cell " << cell + 1;
    EXPECT_LT(volts, 4.3) << "cell " << cell + 1;
  }
  const double vbat = Volts(page.tbMainTabVbatVoltage);
  EXPECT_GT(vbat, 36.0);
  EXPECT_LT(vbat, 51.6);
  double sum = 0;
  for (int device = 0; device < 3; ++device) {
    EXPECT_FALSE(page.tbMainTabDeviceVbat[device]->text().isEmpty());
    sum += Volts(page.tbMainTabDeviceVbat[device]);
    EXPECT_EQ(page.ledMainTabDevicePres[device]->colour(), kGreen);
  }
  for (int device = 3; device < kChainDevices; ++device) {
    EXPECT_TRUE(page.tbMainTabDeviceVbat[device]->text().isEmpty());
    EXPECT_EQ(page.ledMainTabDevicePres[device]->colour(), kGrey);
  }
  EXPECT_EQ(page.tbMainTabDeviceVbat[0]->text(), page.tbMainTabVbatVoltage->text());
  EXPECT_NEAR(Volts(page.tbMainTabStackVoltage), sum, 0.00015 * 3);

  // The chosen device's cells replace the first device's.
  const Session& session = console().session();
  const double cell1OfDevice2 = DecodeCellVoltage(session.model, session.image.at(0, 2, kRegCell1));
  const QString before = page.tbMainTabCellVoltage[0]->text();
  console().cboDeviceNumber->setCurrentIndex(2);
  console().cboDeviceNumber_Click(2);
  EXPECT_EQ(session.state.SelectedDevice, 2);
  EXPECT_NEAR(Volts(page.tbMainTabCellVoltage[0]), cell1OfDevice2, 0.00006);
  EXPECT_EQ(page.tbMainTabDeviceVbat[1]->text(), page.tbMainTabVbatVoltage->text());
  (void)before;
}

TEST_F(ConnectedConsole, FailedReadGreysWhatItShouldHaveBroughtUntilAGoodRead) {
  Connect("daisy:52400x3", 3);
  SelectTab("MAIN");
  console().mnuDevNum_Click(0, 3);
  Click("cbScanAllVolts");
  Click("cbReadAllVolts");
  MainTabPage& page = *console().mainTabPage;
  QLineEdit& cell = *page.tbMainTabCellVoltage[0];
  const QString volts = cell.text();
  const QColor normal = cell.palette().color(QPalette::Text);
  const QRect place = cell.geometry();
  ASSERT_NE(normal, kGrey);
  const auto grey = [&](const QLineEdit* box) {
    return box->palette().color(QPalette::Text) == kGrey;
  };

  // The selected device is read last: nothing after its failed read repaints the page.
  rig->evb->chain->Faults().silentDevice = sim::kAlways;
  rig->evb->chain->Faults().silentPosition = 3;
  Click("cbReadAllVolts");
  EXPECT_EQ(cell.text(), volts);
  EXPECT_TRUE(grey(&cell));
  EXPECT_TRUE(QRegularExpression("^Last read \\d{1,2}:\\d\\d:\\d\\d [AP]M; the last read failed$")
                  .match(cell.toolTip())
                  .hasMatch())
      << cell.toolTip().toStdString();
  EXPECT_TRUE(grey(page.tbMainTabDeviceVbat[2]));
  EXPECT_FALSE(grey(page.tbMainTabDeviceVbat[1]));
  EXPECT_TRUE(grey(page.tbMainTabStackVoltage));
  EXPECT_EQ(cell.geometry(), place);

  rig->evb->chain->Faults().silentDevice = 0;
  Click("cbReadAllVolts");
  EXPECT_FALSE(grey(&cell));
  EXPECT_TRUE(cell.toolTip().isEmpty());
  EXPECT_FALSE(grey(page.tbMainTabStackVoltage));
}

TEST_F(ConnectedConsole, SingleDeviceReadVoltsReadsEachRegisterAndShowsThem) {
  Connect("single:52400", 1, 1, false);
  CommandPanel& panel = *console().commandPanel;
  EXPECT_FALSE(panel.cmdUPRRead[0]->isVisible());
  EXPECT_FALSE(panel.Frupr->isVisible());
  SelectTab("MAIN");
  Click("cbScanAllVolts");
  console().txtLog->clear();
  Click("cbReadAllVolts");
  const auto reads = LogLinesStartingWith("cmd,");
  ASSERT_EQ(reads.size(), 13u);
  EXPECT_EQ(reads.front(), "cmd,QVM52400,cat0x01,adr0x40,dat0x0000");
  EXPECT_EQ(reads.back(), "cmd,QVM52400,cat0x01,adr0x4C,dat0x0000");
  MainTabPage& page = *console().mainTabPage;
  for (int cell = 0; cell < kCellsPerDevice; ++cell) {
    EXPECT_GT(Volts(page.tbMainTabCellVoltage[cell]), 3.0) << cell;
  }
  EXPECT_EQ(page.tbMainTabStackVoltage->text(), page.tbMainTabVbatVoltage->text());
}

TEST_F(ConnectedConsole, MonitorShowsAFramePerDeviceWithDeviceOneRightmost) {
  Connect("daisy:52400x3", 3);
  Click("cbScanAllVolts");
  Click("cbReadAllVolts");
  SelectTab("MONITOR");
  MonitorTabPage& page = *console().monitorTabPage;
  EXPECT_FALSE(console().mainTabPage->isVisible());
  for (int frame = 0; frame < 3; ++frame) {
    EXPECT_TRUE(page.fraDeviceVoltagesFaults[frame]->isVisible()) << frame;
    EXPECT_FALSE(page.tbMonitorTabCellVoltage[frame * kCellsPerDevice]->text().isEmpty());
  }
  EXPECT_FALSE(page.fraDeviceVoltagesFaults[3]->isVisible());
  EXPECT_GT(page.fraDeviceVoltagesFaults[0]->x(), page.fraDeviceVoltagesFaults[1]->x());
  EXPECT_GT(page.fraDeviceVoltagesFaults[1]->x(), page.fraDeviceVoltagesFaults[2]->x());
  const Session& session = console().session();
  EXPECT_EQ(page.tbMonitorTabVbatVoltage[2]->text().toStdString(),
            FormatVoltage(DecodeVbatVoltage(session.model, session.image.at(0, 3, kRegVbat))));
}

TEST_F(ConnectedConsole, PagesNameTheConfiguredPartAndHideAMissingCompanion) {
  Connect("daisy:38817x2", 2, 0);
  SelectTab("MAIN");
  MainTabPage& page = *console().mainTabPage;
  const auto headings = page.findChildren<QLabel*>();
  const auto named = [&](const QString& text) {
    return std::count_if(headings.begin(), headings.end(),
                         [&](const QLabel* label) { return label->text() == text; });
  };
  EXPECT_EQ(named("QVM38817"), 2);
  EXPECT_EQ(named("QVM52400"), 0);
  EXPECT_FALSE(page.ledMainTabCellOV[kCellsPerDevice]->isVisible());
  EXPECT_TRUE(page.ledMainTabCellOV[0]->isVisible());
  EXPECT_EQ(page.ledMainTabDevicePres[1]->colour(), kGreen);
}

TEST_F(ConnectedConsole, FaultBitsOfTheChainLightTheirIndicators) {
  Connect("daisy:52400x3", 3);
  Session& session = console().session();
  session.image.StoreRead(0, 2, 2 * 64 + 4, 0x0100, 1);  // device 2: Vbat open wire
  session.image.StoreRead(0, 2, 2 * 64 + 0, 0x0004, 1);  // device 2: cell 3 over voltage
  SelectTab("MAIN");
  MainTabPage& page = *console().mainTabPage;
  EXPECT_EQ(page.ledMainTabDeviceFault[1]->colour(), kRed);
  EXPECT_EQ(page.ledMainTabDeviceFault[0]->colour(), kGrey);
  EXPECT_EQ(page.ledMainTabVbatOW->colour(), kGrey);
  console().mnuDevNum_Click(0, 2);
  EXPECT_EQ(page.ledMainTabVbatOW->colour(), kRed);
  EXPECT_EQ(page.ledMainTabCellOV[2]->colour(), kRed);
  EXPECT_EQ(page.ledMainTabCellOV[1]->colour(), kGrey);
}

TEST_F(ConnectedConsole, BalanceModeShowsTheCellButtons) {
  Connect("daisy:52400x3", 3);
  Session& session = console().session();
  MainTabPage& page = *console().mainTabPage;
  SelectTab("MAIN");
  EXPECT_FALSE(page.cbMainTabBalCtrl[0]->isVisible());
  session.image.StoreRead(0, 1, kRegBalanceSetup, 0x0202, 1);  // timed, balancing enabled
  session.image.StoreRead(0, 1, kRegBalanceSwitches, 0x0800, 1);
  console().TabStrip1_Click();
  EXPECT_EQ(page.cboBalanceMode->currentText(), "Timed");
  EXPECT_TRUE(page.chkEnableCellBalance->isChecked());
  EXPECT_TRUE(page.cbMainTabBalCtrl[11]->isVisible());
  EXPECT_EQ(page.cbMainTabBalCtrl[11]->text(), "On");
  EXPECT_EQ(page.cbMainTabBalCtrl[10]->text(), "Off");
  EXPECT_FALSE(session.state.SuppressControlEvents);
  session.image.StoreRead(0, 1, kRegBalanceSetup, 0x0003, 1);
  console().TabStrip1_Click();
  EXPECT_FALSE(page.cbMainTabBalCtrl[11]->isVisible());
}

TEST_F(ConnectedConsole, BalanceControlsWriteTheSelectedDevice) {
  Connect("daisy:52400x3", 3);
  SelectTab("MAIN");
  MainTabPage& page = *console().mainTabPage;
  sim::SimulatedDevice& device1 = rig->evb->chain->Device(0, 1);
  device1.Poke(kRegBalanceSetup, 0x3FF);
  // The rig answers No: only the selected device is written.
  emit page.cboBalanceMode->activated(2);
  EXPECT_EQ(device1.Read(kRegBalanceSetup), 0x21E);
  EXPECT_EQ(rig->evb->chain->Device(0, 2).Read(kRegBalanceSetup), 0);
  ASSERT_FALSE(rig->prompts.empty());
  EXPECT_EQ(rig->prompts.back(), "Set Cell Balance Mode on all connected QVM52400 devices?");
  ASSERT_TRUE(page.cbMainTabBalCtrl[11]->isVisible());
  page.cbMainTabBalCtrl[11]->click();
  EXPECT_EQ(page.cbMainTabBalCtrl[11]->text(), "On");
  EXPECT_EQ(device1.Read(kRegBalanceSwitches), 0x0800);
  page.cbMainTabBalCtrl[11]->click();
  EXPECT_EQ(page.cbMainTabBalCtrl[11]->text(), "Off");
  EXPECT_EQ(device1.Read(kRegBalanceSwitches), 0);
  emit page.cboBalanceMode->activated(3);
  EXPECT_FALSE(page.cbMainTabBalCtrl[11]->isVisible());
}

TEST_F(ConnectedConsole, AnOpenBalanceListHoldsPolling) {
  Connect("daisy:52400x3", 3);
  SelectTab("MAIN");
  Session& session = console().session();
  console().chkEnablePolling->setChecked(true);
  session.polling.SetEnabled(true);
  MainTabPage& page = *console().mainTabPage;
  page.cboBalanceWait->showPopup();
  EXPECT_FALSE(session.polling.Enabled());
  page.cboBalanceWait->hidePopup();
  EXPECT_TRUE(session.polling.Enabled());
  // Hiding a list that never opened leaves polling alone.
  session.polling.SetEnabled(false);
  page.cboBalanceTimeout->hidePopup();
  EXPECT_FALSE(session.polling.Enabled());
}

TEST_F(ConnectedConsole, FailureOnDeviceTwoLeavesDeviceThreeUnaddressed) {
  Connect("daisy:52400x3", 3);
  console().txtLog->clear();
  // Once device 1 has answered, the bridge refuses every later write. The watch has to run
  // between every two exchanges, so events run at each of them here.
  rig->host.SetPumpInterval(rig->clock, 0);
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (console().txtLog->toPlainText().contains("rcv,QVM52400,dev0x01")) {
      rig->evb->board->Faults().failWrites = sim::kAlways;
    }
  });
  watch.start(0);
  Click("cbScanAllVolts");
  watch.stop();
  const auto sent = LogLinesStartingWith("cmd,");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_NE(sent[1].find("dev0x02"), std::string::npos);
  EXPECT_FALSE(console().txtLog->toPlainText().contains("dev0x03"));
  EXPECT_EQ(
      LogLinesStartingWith("DaisyChainQuickCommand: QVM52400 pipe communication error").size(), 1u);
  EXPECT_FALSE(console().session().exchange.ScanInProgress);
}

TEST_F(ConnectedConsole, ClearAllFaultsOnTwoDevicesWritesTenTimesAndRedrawsThePage) {
  Connect("daisy:52400x2", 2);
  rig->evb->chain->Device(0, 2).Poke(2 * 64 + 1, 0x0011);
  Session& session = console().session();
  session.image.StoreRead(0, 1, 2 * 64 + 1, 0x0011, 1);
  SelectTab("Faults");
  console().txtLog->clear();
  Click("cbClearAllFaults");
  EXPECT_EQ(LogLinesStartingWith("wrt,").size(), 10u);
  EXPECT_EQ(rig->evb->chain->Device(0, 2).Read(2 * 64 + 1), 0);
  EXPECT_EQ(session.image.at(0, 1, 2 * 64 + 1), 0);
  RegisterEditor& editor = *console().registerEditor;
  for (int row = 0; row < kSlotsPerTab; ++row) {
    if (editor.RegisterSlotVisible(row)) {
      EXPECT_EQ(editor.tbRegdata[row]->text(), "0000");
    }
  }
  EXPECT_EQ(console().commandPanel->ledUPRStatus[0]->colour(), kGrey);
}

TEST_F(ConnectedConsole, CommandOnlyPageOffersNoGroupButtons) {
  Connect("daisy:52400x3", 3);
  SelectTab("Scan Commands");
  RegisterEditor& editor = *console().registerEditor;
  EXPECT_FALSE(editor.cbReadRegs->isVisible());
  EXPECT_FALSE(editor.cbWriteRegs->isVisible());
  SelectTab("Limits");
  EXPECT_TRUE(editor.cbReadRegs->isVisible());
  EXPECT_TRUE(editor.cbWriteRegs->isVisible());
}

TEST_F(ConnectedConsole, EditedValueIsWrittenAndReadBack) {
  Connect("daisy:52400x3", 3);
  SelectTab("Limits");
  RegisterEditor& editor = *console().registerEditor;
  int row = -1;
  for (int r = 0; r < kSlotsPerTab && row < 0; ++r) {
    if (editor.RegisterSlotVisible(r) && !editor.cbWrite[r]->isHidden()) row = r;
  }
  ASSERT_GE(row, 0);
  const Session& session = console().session();
  const int tab = console().TabStrip1->currentIndex();
  const int reg = session.model.type[0].TabRegister[tab][row];

  // Keys: "0123"; a bit: bit 4 set gives 0x0133; up/down: one step up gives 0x0134.
  editor.tbRegdata[row]->setFocus();
  editor.tbRegdata[row]->setCursorPosition(0);
  QTest::keyClicks(editor.tbRegdata[row], "0123");
  EXPECT_EQ(editor.tbRegdata[row]->text(), "0123");
  editor.cbRegToggleBit[row * kBitsPerRegister + 4]->click();
  EXPECT_EQ(editor.tbRegdata[row]->text(), "0133");
  editor.updnRegData[row]->stepUp();
  EXPECT_EQ(editor.tbRegdata[row]->text(), "0134");
  EXPECT_EQ(session.image.at(0, 1, reg), 0x0134);

  editor.cbWrite[row]->click();
  EXPECT_EQ(rig->evb->chain->Device(0, 1).Read(reg), 0x0134);

  rig->evb->chain->Device(0, 1).Poke(reg, 0x0A5A);
  editor.cbRead[row]->click();
  EXPECT_EQ(editor.tbRegdata[row]->text(), "0A5A");
  EXPECT_EQ(session.image.at(0, 1, reg), 0x0A5A);
}

TEST_F(ConnectedConsole, UprReadBlinksWhileTheBridgePollsWell) {
  Connect("daisy:52400x3", 3);
  CommandPanel& panel = *console().commandPanel;
  EXPECT_TRUE(panel.cmdUPRRead[0]->isVisible());
  panel.cmdUPRRead[0]->click();
  EXPECT_EQ(panel.ledUPRStatus[0]->colour(), kGreen);
  panel.cmdUPRRead[0]->click();
  EXPECT_EQ(panel.ledUPRStatus[0]->colour(), kYellow);
}

TEST_F(ConnectedConsole, BadUprStatusStopsPollingAndRefreshesFaultsAndVolts) {
  Connect("daisy:52400x3", 3);
  CommandPanel& panel = *console().commandPanel;
  console().chkEnablePolling->setChecked(true);
  console().txtLog->clear();
  rig->evb->chain->Faults().silentChain = 1;
  panel.cmdUPRRead[0]->click();
  EXPECT_EQ(panel.ledUPRStatus[0]->colour(), kRed);
  EXPECT_FALSE(console().chkEnablePolling->isChecked());
  EXPECT_EQ(console().TabStrip1->currentIndex(), 1);
  const QString log = console().txtLog->toPlainText();
  const qsizetype faults = log.indexOf("cmd,QVM52400,dev0x01,cat0x02,adr0x0F");
  const qsizetype volts = log.indexOf("cmd,QVM52400,dev0x01,cat0x01,adr0x0F");
  EXPECT_GE(faults, 0) << log.toStdString();
  EXPECT_GT(volts, faults);
}

TEST_F(ConnectedConsole, ReadEepromCurrentsReadsTheFirstEepromTab) {
  Connect("daisy:52400x3", 3);
  console().txtLog->clear();
  QAction* item = nullptr;
  for (QAction* action : console().mnuEEPROMUtilities->actions()) {
    if (action->text() == "Read EEPROM Currents") item = action;
  }
  ASSERT_NE(item, nullptr);
  item->trigger();
  EXPECT_EQ(console().TabStrip1->currentIndex(), 18);
  EXPECT_FALSE(LogLinesStartingWith("Reading register group:").empty());
  EXPECT_FALSE(LogLinesStartingWith("cmd,QVM52400,dev0x01").empty());
}

TEST_F(ConnectedConsole, StatusIndicatorsFollowTheTraffic) {
  Connect("daisy:52400x3", 3);
  Click("cbReadAllFaults");
  EXPECT_EQ(console().ledCom[0]->colour(), kGreen);
}

TEST_F(ConnectedConsole, RawMessageSenderEncodesAsTypedAndSends) {
  Connect("daisy:52400x3", 3);
  SelectTab("COMMANDS");
  RawMessageSender& sender = *console().rawMessageSender;
  ASSERT_TRUE(sender.isVisible());
  EXPECT_FALSE(console().registerEditor->cbReadRegs->isVisible());
  EXPECT_TRUE(sender.cbSendRawMsg->isVisible());
  EXPECT_FALSE(sender.fraRawMsgNotConnected->isVisible());
  EXPECT_TRUE(sender.optRawMsgNotConnectedMode[0]->isChecked());

  // Device 2, write page 2 address 0x16, data 0x1234: keys at the field ends.
  const auto type = [](OverwriteEdit* field, const char* keys) {
    field->setFocus();
    field->end(false);
    QTest::keyClicks(field, keys);
  };
  type(sender.tbRawMsgHex[0], "2");
  type(sender.tbRawMsgHex[1], "a");
  type(sender.tbRawMsgHex[2], "05");
  EXPECT_EQ(sender.tbRawMsgHex[2]->text(), "05");
  type(sender.tbRawMsgHex[2], "A");
  EXPECT_EQ(sender.tbRawMsgHex[2]->text(), "5A");
  type(sender.tbRawMsgHex[2], "16");
  type(sender.tbRawMsgHex[3], "1234");
  EXPECT_EQ(sender.tbRawMsgHex[0]->text(), "2");
  EXPECT_EQ(sender.tbRawMsgHex[1]->text(), "A");
  const RawMessage expected = EncodeRawMessage({"2", "A", "16", "1234"}, true);
  ASSERT_TRUE(sender.tbEncodedCommandHexByte[3]->isVisible());
  EXPECT_EQ(sender.tbEncodedCommandHexByte[0]->text().toStdString(),
            HexDigits(expected.encoded[0], 2));
  EXPECT_EQ(sender.tbEncodedCommandHexByte[3]->text().toStdString(),
            HexDigits(expected.encoded[3], 2));
  EXPECT_EQ(sender.tbRawMsgHex[4]->text().toStdString(), HexDigits(expected.crc4, 1));

  sender.cbSendRawMsg->click();
  EXPECT_EQ(rig->evb->chain->Device(0, 2).Read(2 * 64 + 0x16), 0x1234);

  QTest::keyClick(sender.tbRawMsgHex[3], Qt::Key_Escape);
  EXPECT_EQ(sender.tbRawMsgHex[3]->text(), "0000");
}

TEST_F(ConnectedConsole, RawMessageSenderChoosesTheModeWhileNotConnected) {
  Connect("daisy:52400x3", 3);
  console().cmdDisconnect_Click();
  SelectTab("COMMANDS");
  RawMessageSender& sender = *console().rawMessageSender;
  EXPECT_TRUE(sender.fraRawMsgNotConnected->isVisible());
  EXPECT_FALSE(sender.cbSendRawMsg->isVisible());
  sender.optRawMsgNotConnectedMode[0]->click();
  EXPECT_TRUE(console().session().state.DaisyChainMode);
  EXPECT_TRUE(sender.tbRawMsgHex[0]->isVisible());
  EXPECT_TRUE(sender.tbEncodedCommandHexByte[2]->isVisible());
  sender.optRawMsgNotConnectedMode[1]->click();
  EXPECT_FALSE(console().session().state.DaisyChainMode);
  EXPECT_FALSE(sender.tbRawMsgHex[0]->isVisible());
  EXPECT_FALSE(sender.tbRawMsgHex[4]->isVisible());
  EXPECT_FALSE(sender.tbEncodedCommandHexByte[2]->isVisible());
  EXPECT_TRUE(sender.tbEncodedCommandHexByte[1]->isVisible());
}

TEST_F(ConnectedConsole, QuickSetupPollingScansAndReadsOnEveryTick) {
  Connect("daisy:52400x3", 3);
  SelectTab("MAIN");
  FrmPollOptions& options = console().pollOptions();
  console().cmdPollingSetup->click();
  ASSERT_TRUE(options.isVisible());
  EXPECT_EQ(options.windowTitle(), "QVM52400 Eval Polling Setup");
  EXPECT_TRUE(options.chkPollUPR->isEnabled());
  options.findChild<QPushButton*>("cmdQuickSetup")->click();
  options.findChild<QPushButton*>("OKButton")->click();
  EXPECT_FALSE(options.isVisible());
  const SharedState& state = console().session().state;
  EXPECT_TRUE(state.PollScanAll && state.PollReadVolts && state.PollReadTemps &&
              state.PollReadFaults);
  EXPECT_FALSE(state.UprPollingActive);
  EXPECT_TRUE(console().chkEnablePolling->isChecked());
  EXPECT_TRUE(console().pollingTimer().isActive());

  console().Timer2_Timer();
  EXPECT_FALSE(LogLinesStartingWith("cmd,QVM52400,dev0x03,cat0x03,adr0x05").empty());
  EXPECT_FALSE(LogLinesStartingWith("cmd,QVM52400,dev0x03,cat0x02,adr0x0F").empty());
  EXPECT_GT(Volts(console().mainTabPage->tbMainTabCellVoltage[0]), 3.0);
  EXPECT_EQ(console().ledPolling->colour(), kGrey);

  console().chkEnablePolling->click();
  EXPECT_FALSE(console().pollingTimer().isActive());
}

// Long transfers still let events run: a click on "ENABLE POLLING" lands while a tick's first
// read-all is under way; the polling guard keeps the timer paused meanwhile, a tick due then is
// skipped, and the tick runs none of its later actions.
TEST_F(ConnectedConsole, AClickDuringALongReadAllIsHandledWhileTheGuardsHold) {
  Connect("daisy:52400x14", 14);
  SharedState& state = console().session().state;
  state.PollReadVolts = true;
  state.PollReadTemps = true;
  console().chkEnablePolling->setChecked(true);
  sim::SimulatedBoard& board = *rig->evb->board;
  board.ClearReceivedReports();
  std::size_t sentAtClick = 0;
  bool timerActiveAtClick = true;
  QTimer click;
  QObject::connect(&click, &QTimer::timeout, [&] {
    if (board.ReceivedReports().empty() || sentAtClick != 0) return;
    sentAtClick = board.ReceivedReports().size();
    timerActiveAtClick = console().pollingTimer().isActive();
    console().chkEnablePolling->click();
    console().Timer2_Timer();
  });
  click.start(0);
  console().Timer2_Timer();
  click.stop();
  EXPECT_GT(sentAtClick, 0u);
  EXPECT_LT(sentAtClick, 14u);
  EXPECT_FALSE(timerActiveAtClick);
  EXPECT_EQ(board.ReceivedReports().size(), 14u);
  EXPECT_FALSE(console().chkEnablePolling->isChecked());
  EXPECT_FALSE(console().pollingTimer().isActive());
  EXPECT_FALSE(state.PollingTickRunning);
  EXPECT_FALSE(console().session().exchange.BridgeBusy);
  EXPECT_EQ(LogLinesStartingWith("cmd,QVM52400,dev0x0E,cat0x01,adr0x0F").size(), 1u);
}

TEST_F(ConnectedConsole, UprOnlyPollingWithAutoStartRunsTheStartSequenceOnce) {
  Connect("daisy:52400x3", 3);
  FrmPollOptions& options = console().pollOptions();
  console().cmdPollingSetup->click();
  ASSERT_TRUE(options.ChkStartPoll->isVisible());
  options.chkPollUPR->setChecked(true);
  options.ChkStartPoll->setChecked(true);
  console().txtLog->clear();
  options.findChild<QPushButton*>("OKButton")->click();
  EXPECT_TRUE(console().chkEnablePolling->isChecked());
  EXPECT_TRUE(console().session().state.UprPollingActive);
  EXPECT_EQ(LogLinesStartingWith("cmd,QVM52400,dev0x01,cat0x03,adr0x07").size(), 1u);
  EXPECT_EQ(LogLinesStartingWith("cmd,QVM52400,dev0x01,cat0x03,adr0x06").size(), 1u);
  EXPECT_EQ(LogLinesStartingWith("wrt,").size(), 15u);
}

TEST_F(ConnectedConsole, PollingIntervalIsClampedAndAnOverflowReported) {
  Connect("daisy:52400x3", 3);
  EXPECT_EQ(console().pollingTimer().interval(), 500);
  QLineEdit& interval = *console().tbPollingInterval;
  interval.clear();
  QTest::keyClicks(&interval, "20");
  EXPECT_EQ(console().pollingTimer().interval(), 50);
  interval.clear();
  QTest::keyClicks(&interval, "99999");
  EXPECT_EQ(console().pollingTimer().interval(), 5000);
  ASSERT_FALSE(rig->prompts.empty());
  EXPECT_EQ(rig->prompts.back(),
            "Error in tbPollingInterval_Change Err.Number = 6, Err.Description = Overflow");
}

}  // namespace
}  // namespace qvm::test
