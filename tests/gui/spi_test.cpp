// SPDX-License-Identifier: MIT
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include "../protocol/protocol_fakes.h"
#include "console/frm_spi_clock_speed.h"
#include "console/frm_spi_timeout.h"
#include "console_fixture.h"
#include "link/packet_exchange.h"
#include "protocol/bridge_setup.h"

namespace qvm::test {
namespace {

class SpiControls : public testing::Test {
 protected:
  SpiControls() {
    session().bridge.OpenBridge();
    board().ClearReceivedReports();
  }

  Session& session() { return rig.console->session(); }
  sim::SimulatedBoard& board() { return *rig.evb->board; }
  sim::BridgeSettings& settings() { return board().Firmware().Settings(); }
  std::vector<Report> Requests(std::uint8_t command, std::uint8_t selector) const {
    std::vector<Report> found;
    for (const Report& report : rig.evb->board->ReceivedReports()) {
      if (report[1] == command && report[2] == selector) found.push_back(report);
    }
    return found;
  }

  ConsoleOnSimulatedBoard rig{"daisy:52400x1"};
};

TEST_F(SpiControls, ModeBoxesShowTheBridgeBitsWithoutWritingBack) {
  FrmMainF340& bench = *rig.bench;
  settings().spiModeBits = 0x05;
  bench.getSPIconfig();
  EXPECT_TRUE(bench.chkSPIckpol->isChecked());
  EXPECT_FALSE(bench.chkSPIckpha->isChecked());
  EXPECT_TRUE(bench.chkSPIss->isChecked());
  EXPECT_FALSE(bench.SpiModeUpdating);
  EXPECT_EQ(Requests(kCmdSpiMode, 1).size(), 1u);
  EXPECT_TRUE(Requests(kCmdSpiMode, 0).empty());

  bench.chkSPIckpha->click();
  const auto writes = Requests(kCmdSpiMode, 0);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0][3], 0x07);
  EXPECT_EQ(settings().spiModeBits, 0x07);

  bench.SpiModeUpdating = true;
  bench.chkSPIss->click();
  EXPECT_EQ(Requests(kCmdSpiMode, 0).size(), 1u);
}

TEST_F(SpiControls, ClockListMirrorsIntoTheDialogAndItsChoiceWritesTheBridge) {
  FrmMainF340& bench = *rig.bench;
  FrmSpiClockSpeed dialog(session(), nullptr);
  bench.onClockListFilled = [&dialog](const std::vector<SpiClockItem>& items, int selected) {
    dialog.SetClockList(items, selected);
  };
  dialog.onClockListChosen = [&bench](int index) { bench.ChooseClockListItem(index); };

  bench.cboSPIclock_init();
  ASSERT_EQ(bench.cboSPICLock->count(), 24);
  EXPECT_EQ(bench.cboSPICLock->itemText(0).toStdString(), "0.5");
  EXPECT_EQ(bench.cboSPICLock->itemText(23).toStdString(), "12");
  EXPECT_EQ(bench.cboSPICLock->currentText().toStdString(), "4");
  EXPECT_EQ(bench.cboSPICLock->currentData().toInt(), 2);
  ASSERT_EQ(dialog.cboSPICLock->count(), 24);
  EXPECT_EQ(dialog.cboSPICLock->currentIndex(), bench.cboSPICLock->currentIndex());
  EXPECT_TRUE(Requests(kCmdSpiClock, 0).empty());

  emit dialog.cboSPICLock->activated(12);
  EXPECT_EQ(bench.cboSPICLock->currentIndex(), 12);
  const auto writes = Requests(kCmdSpiClock, 0);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0][3], 11);
  EXPECT_EQ(settings().setupBlock[sim::kSetupClockCode], 11);
  // The bridge's clock is not the console's pending set-up value.
  EXPECT_EQ(session().spi.SpiClockCode, 2);

  settings().setupBlock[sim::kSetupClockCode] = 40;
  bench.cboSPIclock_init();
  EXPECT_EQ(bench.cboSPICLock->currentIndex(), -1);
  EXPECT_EQ(dialog.cboSPICLock->currentIndex(), -1);
  bench.cboSPICLock_Click();
  EXPECT_EQ(Requests(kCmdSpiClock, 0).size(), 1u);
}

TEST_F(SpiControls, FirmwareVersionFillsCaptionAndText) {
  FrmMainF340& bench = *rig.bench;
  settings().firmware = {1, 2, 2024, 3, 5};
  bench.cmdFirmwareVersion_Click();
  EXPECT_EQ(bench.lblFirmwareVersion->text().toStdString(), "Firmware Version 1.2 - 2024/March/5");
  EXPECT_EQ(bench.txtFirmwareVersion->text(), bench.lblFirmwareVersion->text());
}

TEST_F(SpiControls, RawWriteSendsTheFieldsAndShowsTheReadBack) {
  FrmMainF340& bench = *rig.bench;
  bench.txtNumToWrite->setText("3");
  bench.txtWriteVal[0]->setText("0A");
  bench.txtWriteVal[1]->setText("b1");
  bench.txtWriteVal[2]->setText("FF");
  bench.txtWriteVal[3]->setText("not read");
  bench.chkSPIread->setChecked(true);
  bench.chkSPIClockPhaseChange->setChecked(true);
  bench.txtClockPhaseChangeByte->setText("1");
  bench.cmdSPIWrite_Click();

  const auto writes = Requests(kCmdSpiDaisy, 0);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0][3], 1);
  EXPECT_EQ(writes[0][4], 1);
  EXPECT_EQ(writes[0][5], 1);
  EXPECT_EQ(writes[0][6], 3);
  EXPECT_EQ(writes[0][7], 0x0A);
  EXPECT_EQ(writes[0][8], 0xB1);
  EXPECT_EQ(writes[0][9], 0xFF);
  EXPECT_EQ(bench.txtReadVal[0]->text().toStdString(), "01");
  EXPECT_EQ(bench.txtReadVal[2]->text().toStdString(), "00");
  const Report& reply = session().bridge.ReportBuffer;
  EXPECT_NE(reply[3], 0);
  for (std::size_t i = 0; i < kRawSpiReplyBytes; ++i) {
    EXPECT_EQ(bench.txtReadVal[i]->text().toStdString(), HexByteText(reply[i])) << i;
  }
  EXPECT_TRUE(rig.prompts.empty());
}

TEST_F(SpiControls, RawWriteRefusesFieldsThatAreNotBytes) {
  FrmMainF340& bench = *rig.bench;
  bench.txtNumToWrite->setText("58");
  bench.cmdSPIWrite_Click();
  bench.txtNumToWrite->setText("2");
  bench.txtWriteVal[1]->setText("1G");
  bench.cmdSPIWrite_Click();
  bench.txtWriteVal[1]->setText("10");
  bench.txtClockPhaseChangeByte->setText("-1");
  bench.cmdSPIWrite_Click();
  EXPECT_EQ(rig.prompts.size(), 3u);
  EXPECT_TRUE(Requests(kCmdSpiDaisy, 0).empty());

  bench.txtClockPhaseChangeByte->setText("0");
  bench.txtReadVal[0]->setText("--");
  bench.cmdSPIWrite_Click();
  EXPECT_EQ(Requests(kCmdSpiDaisy, 0).size(), 1u);
  EXPECT_EQ(bench.txtReadVal[0]->text().toStdString(), "--");
}

TEST_F(SpiControls, ClockDialogKeepsTheChoiceForTheNextSetupBlock) {
  FrmSpiClockSpeed dialog(session(), nullptr);
  dialog.show();
  EXPECT_EQ(dialog.PendingClockCode(), 2);
  EXPECT_TRUE(dialog.optSpiClkSpeed[4]->isChecked());
  dialog.optSpiClkSpeed[1]->click();
  EXPECT_EQ(dialog.PendingClockCode(), 23);
  dialog.findChild<QPushButton*>("OKButton")->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(session().spi.SpiClockCode, 23);
  EXPECT_TRUE(board().ReceivedReports().empty());
  EXPECT_EQ(settings().setupBlock[sim::kSetupClockCode], 2);

  SetupBridgeDaisy(session());
  EXPECT_EQ(settings().setupBlock[sim::kSetupClockCode], 23);

  dialog.show();
  EXPECT_TRUE(dialog.optSpiClkSpeed[1]->isChecked());
  dialog.optSpiClkSpeed[0]->click();
  dialog.findChild<QPushButton*>("CancelButton")->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(session().spi.SpiClockCode, 23);
  dialog.show();
  EXPECT_EQ(dialog.PendingClockCode(), 23);
}

TEST_F(SpiControls, TimeoutDialogShowsTheLoadedValueAndSendsTheClampedOne) {
  FrmSpiTimeout dialog(session(), nullptr);
  dialog.show();
  EXPECT_EQ(dialog.tbSpiTimeout->text().toStdString(), "5272");
  EXPECT_EQ(dialog.updnSpiTimeout->value(), 5272);

  dialog.tbSpiTimeout->clear();
  QTest::keyClicks(dialog.tbSpiTimeout, "5x-0");
  EXPECT_EQ(dialog.tbSpiTimeout->text().toStdString(), "50");
  dialog.findChild<QPushButton*>("OKButton")->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(session().spi.SpiTimeoutHigh, 0x00);
  EXPECT_EQ(session().spi.SpiTimeoutLow, 0xC8);
  EXPECT_EQ(settings().setupBlock[7], 0x00);
  EXPECT_EQ(settings().setupBlock[8], 0xC8);
  EXPECT_EQ(settings().setupBlock[4], 0x80);

  dialog.show();
  EXPECT_EQ(dialog.tbSpiTimeout->text().toStdString(), "100");
  dialog.tbSpiTimeout->setText("40000");
  dialog.findChild<QPushButton*>("OKButton")->click();
  EXPECT_EQ(settings().setupBlock[7], 0xEA);
  EXPECT_EQ(settings().setupBlock[8], 0x60);

  dialog.show();
  EXPECT_EQ(dialog.updnSpiTimeout->value(), 30000);
  dialog.updnSpiTimeout->stepDown();
  EXPECT_EQ(dialog.tbSpiTimeout->text().toStdString(), "29999");
  const std::size_t sent = board().ReceivedReports().size();
  dialog.findChild<QPushButton*>("CancelButton")->click();
  EXPECT_EQ(board().ReceivedReports().size(), sent);
  EXPECT_EQ(session().spi.SpiTimeoutHigh, 0xEA);
}

TEST_F(SpiControls, EmptyTimeoutTakesTheMinimum) {
  FrmSpiTimeout dialog(session(), nullptr);
  dialog.show();
  dialog.tbSpiTimeout->clear();
  dialog.findChild<QPushButton*>("OKButton")->click();
  EXPECT_EQ(session().spi.SpiTimeoutLow, 0xC8);
}

// The trace window is a view switch; the console's own view keeps it off.
class TracingView final : public ProtocolView {
 public:
  bool TraceActive() override { return true; }
  void AppendTrace(const std::string& text) override { trace += text; }
  std::string trace;
};

TEST(SpiTrace, BenchSpiOperationsAreTraced) {
  VirtualClock clock;
  std::string error;
  auto evb = sim::MakeSimulatedEvb("daisy:52400x1", clock, error);
  ASSERT_TRUE(evb) << error;
  ScriptedHost host;
  TracingView view;
  RecordingFaultRecorder faults;
  CountingPollingTimer timer;
  Session session(*evb->bus, host, clock, view, faults, timer);
  FrmMainF340 bench(session);
  session.bridge.OpenBridge();
  evb->board->Firmware().Settings().firmware = {2, 0, 2023, 11, 30};

  view.trace.clear();
  bench.InitSpiControls();
  EXPECT_EQ(view.trace,
            "getSPIconfig: Configure SPI Options\r\ngetSPIconfig: Configure SPI Completed\r\n\r\n");

  view.trace.clear();
  bench.cboSPICLock->setCurrentIndex(0);
  bench.cboSPICLock_Click();
  EXPECT_EQ(view.trace, "Write SPI Clock :0.5 MHz\r\n");

  view.trace.clear();
  bench.cmdFirmwareVersion_Click();
  EXPECT_EQ(view.trace,
            "Read F340 Processor Firmware Revision: Firmware Version 2.0 - 2023/November/30\r\n");
  EXPECT_TRUE(host.retryPrompts.empty());
}

}  // namespace
}  // namespace qvm::test
