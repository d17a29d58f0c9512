// SPDX-License-Identifier: MIT
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "console/timer_polling.h"
#include "console_fixture.h"
#include "paint_count.h"
#include "ui/led_indicator.h"
#include "ui/log_view.h"

namespace qvm::test {
namespace {

std::vector<std::string> ListEntries(const QComboBox& box) {
  std::vector<std::string> entries;
  for (int i = 0; i < box.count(); ++i) entries.push_back(box.itemText(i).toStdString());
  return entries;
}

const QColor kGreen(0x00, 0xFF, 0x00);
const QColor kGrey(0x7F, 0x7F, 0x7F);

TEST(ConsoleLifecycle, StartupConfigureConnectAndDisconnectOnThreeDeviceChain) {
  ConsoleOnSimulatedBoard rig("daisy:52400x3");
  GenericVbDiag& console = *rig.console;
  FrmStartup startup(console, *rig.bench);
  startup.show();
  EXPECT_EQ(startup.cboDeviceSelect->itemText(1).toStdString(), "BMS Evaluation Board Connected");
  startup.cboDeviceSelect->setCurrentIndex(1);
  startup.cboDeviceSelect_Click(1);
  EXPECT_FALSE(startup.isVisible());
  EXPECT_TRUE(console.isVisible());
  EXPECT_EQ(console.session().bridge.MessageTitle, "BMS  Evaluation Board");
  EXPECT_EQ(console.ledUSBConnected->colour(), kGrey);

  rig.ConfirmConfiguration(true, 1, 3);

  const SharedState& state = console.session().state;
  EXPECT_TRUE(state.DeviceConfigChosen);
  EXPECT_TRUE(console.session().bridge.EvbConnected);
  EXPECT_TRUE(state.DaisyChainMode);
  EXPECT_EQ(state.DeviceCount52400, 3);
  EXPECT_EQ(state.DeviceCount52401, 0);
  EXPECT_EQ(console.ledUSBConnected->colour(), kGreen);
  EXPECT_EQ(console.led52400Pres->colour(), kGreen);
  EXPECT_EQ(console.led52401Pres->colour(), kGrey);
  EXPECT_FALSE(console.cmdConnect->isEnabled());
  EXPECT_TRUE(console.cmdDisconnect->isEnabled());
  EXPECT_TRUE(console.opt52400->isEnabled());
  EXPECT_FALSE(console.opt52401->isEnabled());
  EXPECT_EQ(
      ListEntries(*console.cboDeviceNumber),
      (std::vector<std::string>{"Device 0", "Device 1", "Device 2", "Device 3", "Device 15"}));
  EXPECT_EQ(console.cboDeviceNumber->currentIndex(), 1);
  EXPECT_TRUE(console.cboDeviceNumber->isVisible());
  for (int c = 0; c < 16; ++c) {
    EXPECT_EQ(console.mnuDevNum[0][c]->isEnabled(), c <= 3 || c == 15) << c;
    EXPECT_FALSE(console.mnuDevNum[1][c]->isEnabled()) << c;
  }
  EXPECT_FALSE(console.txtLog->toPlainText().isEmpty());
  EXPECT_TRUE(rig.prompts.empty());

  console.cmdDisconnect->click();
  EXPECT_FALSE(console.session().bridge.EvbConnected);
  EXPECT_TRUE(console.cmdConnect->isEnabled());
  EXPECT_FALSE(console.cmdDisconnect->isEnabled());
  for (LedIndicator* led : {console.ledUSBConnected, console.led52400Pres, console.led52401Pres}) {
    EXPECT_EQ(led->colour(), kGrey);
  }
  EXPECT_FALSE(console.opt52400->isEnabled());
  EXPECT_FALSE(console.cboDeviceNumber->isVisible());
  EXPECT_FALSE(state.UprPollingActive);
}

TEST(ConsoleLifecycle, ConnectWaitsForTheConfigurationThenConnects) {
  ConsoleOnSimulatedBoard rig("daisy:52400x2");
  GenericVbDiag& console = *rig.console;
  console.show();
  bool dialogShownBeforeOk = false;
  bool linkOpenBeforeOk = true;
  QTimer::singleShot(20, [&] {
    dialogShownBeforeOk = console.manualConfig().isVisible();
    linkOpenBeforeOk = console.session().bridge.EvbConnected;
    rig.ConfirmConfiguration(true, 1, 2);
  });
  console.cmdConnect->click();
  EXPECT_TRUE(dialogShownBeforeOk);
  EXPECT_FALSE(linkOpenBeforeOk);
  EXPECT_EQ(console.session().state.DeviceCount52400, 2);
  EXPECT_EQ(console.ledUSBConnected->colour(), kGreen);
}

TEST(ConsoleLifecycle, DeviceFifteenAndMenuSelection) {
  ConsoleOnSimulatedBoard rig("daisy:52400x3");
  GenericVbDiag& console = *rig.console;
  console.show();
  rig.ConfirmConfiguration(true, 1, 3);
  console.cboDeviceNumber_Click(4);
  EXPECT_EQ(console.session().state.SelectedDevice, 15);
  EXPECT_TRUE(console.mnuDevNum[0][15]->isChecked());
  EXPECT_FALSE(console.mnuDevNum[0][1]->isChecked());

  console.mnuDevNum[0][2]->trigger();
  EXPECT_EQ(console.session().state.SelectedDevice, 2);
  EXPECT_EQ(console.cboDeviceNumber->currentIndex(), 2);
  EXPECT_TRUE(console.mnuDevNum[0][2]->isChecked());
}

TEST(ConsoleLifecycle, CancelAfterOkKeepsTheConfigurationChosen) {
  ConsoleOnSimulatedBoard rig("daisy:52400x1");
  GenericVbDiag& console = *rig.console;
  rig.ConfirmConfiguration(true, 1, 1);
  console.mnuManualConfig_Click();
  console.manualConfig().findChild<QPushButton*>("CancelButton")->click();
  EXPECT_TRUE(console.session().state.DeviceConfigChosen);
  EXPECT_FALSE(console.session().state.ManualConfigAccepted);
  EXPECT_FALSE(console.manualConfig().isVisible());
}

TEST(ConsoleLifecycle, SingleDeviceModeDisablesDeviceZeroAndFifteen) {
  ConsoleOnSimulatedBoard rig("single:52400");
  GenericVbDiag& console = *rig.console;
  console.show();
  rig.ConfirmConfiguration(false, 1, 1);
  const SharedState& state = console.session().state;
  EXPECT_FALSE(state.DaisyChainMode);
  EXPECT_EQ(state.DeviceCount52400, 1);
  EXPECT_EQ(console.ledUSBConnected->colour(), kGreen);
  EXPECT_FALSE(console.mnuDevNum[0][0]->isEnabled());
  EXPECT_TRUE(console.mnuDevNum[0][1]->isEnabled());
  EXPECT_FALSE(console.mnuDevNum[0][15]->isEnabled());
  EXPECT_FALSE(console.cboDeviceNumber->isVisible());
  EXPECT_EQ(console.cboDeviceNumber->count(), 16);
}

TEST(ConsoleLifecycle, UnpluggedBoardLeavesTheConsoleIdle) {
  ConsoleOnSimulatedBoard rig("daisy:52400x1");
  GenericVbDiag& console = *rig.console;
  rig.evb->board->Unplug();
  rig.ConfirmConfiguration(true, 1, 1);
  EXPECT_FALSE(console.session().bridge.EvbConnected);
  EXPECT_TRUE(console.cmdConnect->isEnabled());
  EXPECT_FALSE(console.cmdDisconnect->isEnabled());
  EXPECT_EQ(console.ledUSBConnected->colour(), kGrey);
  EXPECT_FALSE(rig.prompts.empty());
  EXPECT_TRUE(console.txtLog->toPlainText().contains(
      "InitializeEvb: USB communication failed. Check connections"));
}

// A board that cannot be used leaves the reason the link knows on the last line of the
// activity log; never "not detected" for a board that was found, never a procedure name alone,
// never "Polling Terminated" when no polling ran, and one time-out for a bridge that never
// answers.
TEST(ConsoleLifecycle, AFailedConnectEndsOnTheLinksReason) {
  const struct {
    std::string faults;
    std::string reason;
  } cases[] = {
      {"denied", "sim:evb cannot be opened: Permission denied"},
      {"mute", "the bridge opened but never answered"},
      {"unplug@1", "simulated board unplugged"},
  };
  for (const auto& c : cases) {
    ConsoleOnSimulatedBoard rig("daisy:52400x3", c.faults);
    const std::int64_t start = rig.clock.NowMs();
    rig.ConfirmConfiguration(true, 1, 3);
    EXPECT_LT(rig.clock.NowMs() - start, 7000) << c.faults;
    EXPECT_TRUE(rig.console->cmdConnect->isEnabled()) << c.faults;
    const QStringList lines = rig.console->txtLog->toPlainText().split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty()) << c.faults;
    EXPECT_TRUE(lines.last().contains(QString::fromStdString(c.reason)))
        << c.faults << ": " << lines.last().toStdString();
    EXPECT_FALSE(lines.join('\n').contains("not detected")) << c.faults;
    EXPECT_FALSE(lines.contains("checkStatus")) << c.faults;
    for (const std::string& prompt : rig.prompts) {
      EXPECT_EQ(prompt.find("Polling Terminated"), std::string::npos) << c.faults;
      EXPECT_NE(prompt.substr(prompt.rfind('\n') + 1), "checkStatus") << c.faults;
    }
  }
}

// In the available area of a 1366x768 screen every control of the window proper is inside it:
// the pages scroll, the logs and their buttons stay in view.
TEST(ConsoleLifecycle, EveryControlIsReachableOnALaptopScreen) {
  ConsoleOnSimulatedBoard rig("daisy:52400x3");
  GenericVbDiag& console = *rig.console;
  console.show();
  rig.ConfirmConfiguration(true, 1, 3);
  console.resize(1350, 728);
  QCoreApplication::processEvents();
  const QRect window = console.rect();
  std::vector<QWidget*> controls = {console.txtLog, console.hexLogs[0], console.cmdShowChart};
  for (QPushButton* button : console.clearLogButtons) controls.push_back(button);
  for (QPushButton* button : console.commandPanel->findChildren<QPushButton*>()) {
    controls.push_back(button);
  }
  for (QWidget* control : controls) {
    if (!control->isVisible()) continue;
    const QRect at(control->mapTo(&console, QPoint(0, 0)), control->size());
    EXPECT_TRUE(window.contains(at))
        << control->objectName().toStdString() << " at " << at.y() << "+" << at.height();
  }
}

TEST(ConsoleLifecycle, ClearLogButtonsEmptyTheirLogs) {
  ConsoleOnSimulatedBoard rig("daisy:52400x1");
  GenericVbDiag& console = *rig.console;
  console.AppendLog("line\r\n");
  console.AppendHexLog(1, "AA BB\r\n");
  console.findChild<QPushButton*>("cmdClearLog")->click();
  EXPECT_TRUE(console.txtLog->toPlainText().isEmpty());
  EXPECT_FALSE(console.hexLogs[1]->toPlainText().isEmpty());
  console.findChild<QPushButton*>("cmdClear52401HexLog")->click();
  EXPECT_TRUE(console.hexLogs[1]->toPlainText().isEmpty());
}

// Log lines are stored as they come and shown in batches when the event loop runs; they read
// back in order at once, and a clear drops them, a refresh still waiting or not.
TEST(ConsoleLifecycle, LogLinesReadBackAndClearInOrder) {
  ConsoleOnSimulatedBoard rig("daisy:52400x1");
  GenericVbDiag& console = *rig.console;
  console.AppendLog("one\r\n");
  console.AppendLog("two\r\n");
  EXPECT_EQ(console.txtLog->toPlainText(), "one\ntwo\n");
  console.AppendLog("three\r\n");
  QCoreApplication::processEvents();
  EXPECT_EQ(console.txtLog->LineCount(), 4);
  console.AppendHexLog(0, "AA\r\n");
  QCoreApplication::processEvents();
  console.AppendHexLog(0, "BB\r\n");
  console.hexLogs[0]->clear();
  QCoreApplication::processEvents();
  EXPECT_TRUE(console.hexLogs[0]->toPlainText().isEmpty());
  EXPECT_EQ(console.hexLogs[0]->LineCount(), 1);
}

// Refreshes brought by the event loop are spaced out; a line appended just after one still comes
// into view once the event loop has run for a while, with nothing else appended.
TEST(ConsoleLifecycle, LogLineAfterARefreshShowsLater) {
  LogView log;
  log.resize(200, 60);
  log.show();
  for (int i = 0; i < 10; ++i) log.Append("one\r\n");
  QCoreApplication::processEvents();
  const QScrollBar& bar = *log.verticalScrollBar();
  QTRY_VERIFY_WITH_TIMEOUT(bar.maximum() > 0 && bar.value() == bar.maximum(), 5000);
  const int end = bar.maximum();
  log.Append("two\r\n");
  QCoreApplication::processEvents();
  QTRY_COMPARE_WITH_TIMEOUT(bar.maximum(), end + 1, 5000);
  EXPECT_EQ(bar.value(), bar.maximum());
  EXPECT_TRUE(log.toPlainText().endsWith("one\ntwo\n"));
}

// The wait after a write brings gathered log text to the display while a pump is due, but runs no
// timer or user action (nothing may start a transfer then) and still lasts the whole wait.
TEST(ConsoleLifecycle, WaitRefreshesOnlyTheDisplayAndWaitsInFull) {
  for (const bool real : {false, true}) {
    SCOPED_TRACE(real ? "system clock" : "virtual clock");
    VirtualClock virtualClock;
    SystemClock systemClock;
    Clock& clock = real ? static_cast<Clock&>(systemClock) : virtualClock;
    QtHost host;
    host.SetPumpInterval(clock, kConsolePumpIntervalMs);
    LogView log;
    log.show();
    QCoreApplication::processEvents();
    const PaintCount paints(*log.viewport());
    bool timerRan = false;
    QTimer::singleShot(0, [&] { timerRan = true; });
    log.Append("one\r\n");
    const std::int64_t start = clock.NowUs();
    host.WaitMs(clock, 2);
    EXPECT_GE(clock.NowUs() - start, 2000);
    EXPECT_GT(paints.paints, 0);
    EXPECT_FALSE(timerRan);
    host.PumpEvents();
    EXPECT_TRUE(timerRan);
    // Just pumped: the next wait only waits.
    const int shown = paints.paints;
    log.Append("two\r\n");
    host.WaitMs(clock, 2);
    if (!real) {
      EXPECT_EQ(paints.paints, shown);
    }
    EXPECT_EQ(log.toPlainText(), "one\ntwo\n");
  }
}

TEST(ConsoleLifecycle, TabsAndCompanionControlsFollowTheConfiguration) {
  ConsoleOnSimulatedBoard rig("daisy:38817x5");
  GenericVbDiag& console = *rig.console;
  console.show();
  rig.ConfirmConfiguration(true, 0, 5);
  const SharedState& state = console.session().state;
  EXPECT_EQ(state.TabDefsFileName, kTabDefs38817);
  EXPECT_EQ(state.DeviceCount52400, 5);
  EXPECT_EQ(state.PartName52401, "NONE");
  ASSERT_GT(console.TabStrip1->count(), 3);
  EXPECT_EQ(console.TabStrip1->tabText(0).toStdString(), "MAIN");
  EXPECT_FALSE(console.opt52401->isVisible());
  EXPECT_FALSE(console.led52401Pres->isVisible());
  EXPECT_FALSE(console.mnuQVM52401->menuAction()->isVisible());
  EXPECT_FALSE(console.hexLogs[1]->isVisible());
  EXPECT_EQ(console.cboDeviceNumber->count(), 7);
}

TEST(ConsoleLifecycle, CompanionChainShowsBothTypes) {
  ConsoleOnSimulatedBoard rig("daisy:52400x2+52401x2");
  GenericVbDiag& console = *rig.console;
  console.show();
  rig.ConfirmConfiguration(true, 2, 2);
  const SharedState& state = console.session().state;
  EXPECT_EQ(state.DeviceCount52400, 2);
  EXPECT_EQ(state.DeviceCount52401, 2);
  EXPECT_EQ(console.led52401Pres->colour(), kGreen);
  EXPECT_TRUE(console.opt52401->isVisible());
  EXPECT_TRUE(console.opt52401->isEnabled());
  EXPECT_TRUE(console.hexLogs[1]->isVisible());
  console.opt52401->click();
  EXPECT_EQ(state.SelectedDeviceType, 1);
  EXPECT_TRUE(console.mnuDevNum[1][1]->isChecked());
  EXPECT_FALSE(console.mnuDevNum[0][1]->isChecked());
  EXPECT_GT(console.TabStrip1->count(), 0);
}

// The reset entries press a row of the device commands page, which only the main type has; with
// the companion selected they are off, and pressing them sends nothing and leaves the page.
TEST(ConsoleLifecycle, ResetEntriesNeverPressAnotherPagesRow) {
  ConsoleOnSimulatedBoard rig("daisy:52400x2+52401x2");
  GenericVbDiag& console = *rig.console;
  console.show();
  rig.ConfirmConfiguration(true, 2, 2);
  EXPECT_TRUE(console.mnuReloadEeprom->isEnabled());
  EXPECT_TRUE(console.mnuSoftReset->isEnabled());
  console.opt52401->click();
  EXPECT_FALSE(console.mnuReloadEeprom->isEnabled());
  EXPECT_FALSE(console.mnuSoftReset->isEnabled());
  console.SelectTab(3);
  rig.evb->board->ClearReceivedReports();
  console.mnuReload_Click();
  console.mnuReloadBlock_Click();
  EXPECT_TRUE(rig.evb->board->ReceivedReports().empty());
  EXPECT_EQ(console.TabStrip1->currentIndex(), 3);
  console.opt52400->click();
  EXPECT_TRUE(console.mnuSoftReset->isEnabled());
}

TEST(ConsoleLifecycle, DemoModeOnlyWhileIdleAndItDisablesConnect) {
  ConsoleOnSimulatedBoard rig("daisy:52400x1");
  GenericVbDiag& console = *rig.console;
  console.mnuDemoMode->setEnabled(true);
  console.mnuDemoMode->trigger();
  EXPECT_TRUE(console.session().state.DemoMode);
  EXPECT_FALSE(console.cmdConnect->isEnabled());
  console.mnuDemoMode->trigger();
  EXPECT_FALSE(console.session().state.DemoMode);
  EXPECT_TRUE(console.cmdConnect->isEnabled());

  rig.ConfirmConfiguration(true, 1, 1);
  ASSERT_TRUE(console.session().bridge.EvbConnected);
  console.mnuDemoMode->trigger();
  EXPECT_FALSE(console.session().state.DemoMode);
  EXPECT_FALSE(console.mnuDemoMode->isChecked());
}

TEST(ConsoleLifecycle, DisconnectWhilePollingStopsPolling) {
  ConsoleOnSimulatedBoard rig("daisy:52400x2");
  GenericVbDiag& console = *rig.console;
  rig.ConfirmConfiguration(true, 1, 2);
  console.chkEnablePolling->setChecked(true);
  console.cmdDisconnect->click();
  EXPECT_FALSE(console.chkEnablePolling->isChecked());
  EXPECT_FALSE(console.session().state.UprPollingActive);
}

// The polling interval is a period: the tick's own accesses, which pause and resume the timer,
// do not push the next tick back, and a tick that outlasted the interval is followed at once.
TEST(TimerPolling, TheNextTickIsDueOneIntervalAfterTheLastStarted) {
  const struct {
    int intervalMs;
    int tickMs;
    bool resumed;
    int latestDueMs;  // -1: the timer stays stopped
  } cases[] = {{300, 60, true, 240}, {50, 80, true, 0}, {300, 60, false, -1}};
  for (const auto& c : cases) {
    QTimer timer;
    QCheckBox box;
    TimerPolling polling(timer, box);
    polling.SetInterval(c.intervalMs);
    polling.SetEnabled(true);
    polling.TickStarted();
    polling.SetEnabled(false);
    QThread::msleep(static_cast<unsigned long>(c.tickMs));
    if (c.resumed) polling.SetEnabled(true);
    polling.TickEnded();
    EXPECT_EQ(timer.isActive(), c.latestDueMs >= 0) << c.intervalMs;
    if (c.latestDueMs >= 0) {
      EXPECT_LE(timer.remainingTime(), c.latestDueMs) << c.intervalMs;
    }
    EXPECT_EQ(polling.Interval(), c.intervalMs);
    polling.TickStarted();
    if (timer.isActive()) {
      EXPECT_EQ(timer.interval(), c.intervalMs);
    }
  }
}

TEST(LedIndicator, ExactColours) {
  EXPECT_EQ(LedColour(Colour::Green).rgb(), QColor(0x00, 0xFF, 0x00).rgb());
  EXPECT_EQ(LedColour(Colour::Yellow).rgb(), QColor(0xFF, 0xFF, 0x00).rgb());
  EXPECT_EQ(LedColour(Colour::Grey).rgb(), QColor(0x7F, 0x7F, 0x7F).rgb());
  EXPECT_EQ(LedColour(Colour::Red).rgb(), QColor(0xFF, 0x00, 0x00).rgb());
}

}  // namespace
}  // namespace qvm::test
