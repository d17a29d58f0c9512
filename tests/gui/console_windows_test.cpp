// SPDX-License-Identifier: MIT
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QSysInfo>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "console_fixture.h"

namespace qvm::test {
namespace {

class ConsoleWindowsTest : public ::testing::Test {
 protected:
  ConsoleWindowsTest() : rig("daisy:52400x3") {
    rig.console->show();
    rig.ConfirmConfiguration(true, 1, 3);
    folder = std::filesystem::temp_directory_path() /
             ("qvm-console-windows-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
  }
  ~ConsoleWindowsTest() override { std::filesystem::remove_all(folder); }

  GenericVbDiag& console() { return *rig.console; }

  // Polls `ticks` times with "Scan All" and "Read All Voltages" selected.
  void Poll(int ticks) {
    SharedState& state = console().session().state;
    state.PollScanAll = true;
    state.PollReadVolts = true;
    console().chkEnablePolling->setChecked(true);
    for (int tick = 0; tick < ticks; ++tick) {
      console().Timer2_Timer();
      rig.clock.SleepMs(1000);
    }
    console().chkEnablePolling->setChecked(false);
  }

  ConsoleOnSimulatedBoard rig;
  std::filesystem::path folder;
};

TEST_F(ConsoleWindowsTest, ShowChartAfterPollingShowsTheDataOfBothSlots) {
  Poll(3);
  FrmCharting& chart = console().chartWindow();
  EXPECT_FALSE(chart.isVisible());
  console().cmdShowChart->click();
  ASSERT_TRUE(chart.isVisible());
  const SharedState& state = console().session().state;
  EXPECT_EQ(chart.windowTitle().toStdString(),
            state.PartName52400 + "/" + state.PartName52401 + " Eval Chart Window");
  EXPECT_EQ(chart.lblQVMDevice->text(), "QVM52400Eval");
  EXPECT_FALSE(chart.lblStartingTime->text().isEmpty());
  const struct {
    ChartPlot* plot;
    int series;
  } drawn[] = {{chart.CellVoltageChartControl, 0}, {chart.CellVoltageChartControl, 23},
               {chart.PackVoltageChartControl, 0}, {chart.PackVoltageChartControl, 1},
               {chart.TempChartControl, 1},        {chart.ETVoltChartControl, 7},
               {chart.FaultStatusChartControl, 3}};
  for (const auto& [plot, series] : drawn) {
    EXPECT_EQ(plot->DrawnPointCount(series), 3) << plot->objectName().toStdString() << series;
    EXPECT_TRUE(plot->DrawnVisible(series)) << plot->objectName().toStdString() << series;
  }
  EXPECT_TRUE(chart.chkChartShowSeries[12]->isChecked());

  // Closing only hides while the console runs; closing the console unpins and closes it.
  EXPECT_TRUE(chart.ChartWindowPinned);
  chart.close();
  EXPECT_FALSE(chart.isVisible());
  console().cmdShowChart->click();
  EXPECT_TRUE(chart.isVisible());
  console().close();
  EXPECT_FALSE(chart.ChartWindowPinned);
  EXPECT_FALSE(chart.isVisible());
}

TEST_F(ConsoleWindowsTest, ChartWindowExportsAndClears) {
  Poll(2);
  console().cmdShowChart->click();
  FrmCharting& chart = console().chartWindow();
  const std::string path = (folder / "export.csv").string();
  rig.host.SetAnswerHook([&](const QtHost::Prompt& prompt) {
    QtHost::Answer answer;
    if (prompt.kind == QtHost::PromptKind::SaveFile) answer.fileName = path;
    rig.prompts.push_back(prompt.text);
    return answer;
  });
  ASSERT_TRUE(chart.cmdChartExportCsv->isEnabled());
  chart.cmdChartExportCsv->click();
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  const std::string content = text.str();
  EXPECT_EQ(content.rfind("TimeStamp,Elapsed(min),ComErrors,VCell1-1,", 0), 0u) << content;
  EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), 3) << content;
  EXPECT_FALSE(chart.cmdChartExportCsv->isEnabled());

  chart.cmbClearChart->click();
  EXPECT_EQ(chart.CellVoltageChartControl->DrawnPointCount(0), 0);
  EXPECT_FALSE(chart.cmbClearChart->isEnabled());
  Poll(1);
  EXPECT_EQ(chart.CellVoltageChartControl->DrawnPointCount(0), 1);
  EXPECT_EQ(console().records().chart.ElapsedMinutes(0), 0.0);
}

TEST_F(ConsoleWindowsTest, LostLinkPaintsTheCurrentFormAndCancelClosesTheBenchWindow) {
  std::vector<std::string> titles;
  rig.host.SetAnswerHook([&](const QtHost::Prompt& prompt) {
    titles.push_back(prompt.title);
    rig.prompts.push_back(prompt.text);
    return QtHost::Answer{};
  });
  rig.bench->show();
  console().SetCurrentForm(rig.bench.get());
  auto* benchIndicator = new LedIndicator(rig.bench.get());
  benchIndicator->setObjectName("ShpAttach");
  rig.evb->board->Unplug();
  std::vector<std::uint8_t> bytes;
  const std::uint8_t address[] = {0};
  console().session().bridge.I2cRead(0xA0, 1, address, bytes);
  EXPECT_EQ(benchIndicator->colour(), LedColour(Colour::LightRed));
  EXPECT_NE(console().ShpAttach->colour(), LedColour(Colour::LightRed));
  ASSERT_FALSE(rig.prompts.empty());
  EXPECT_EQ(rig.prompts.back().rfind("Please check USB connection.", 0), 0u);
  EXPECT_EQ(titles.back(), console().session().bridge.MessageTitle);
  // Cancel closed the bench window with the link; the console waits for a new Connect.
  EXPECT_FALSE(rig.bench->isVisible());
  EXPECT_FALSE(console().session().bridge.EvbConnected);
  EXPECT_TRUE(console().cmdConnect->isEnabled());
  EXPECT_FALSE(console().cmdDisconnect->isEnabled());

  console().SetCurrentForm(nullptr);
  console().session().bridge.I2cRead(0xA0, 1, address, bytes);
  EXPECT_EQ(console().ShpAttach->colour(), LedColour(Colour::LightRed));
}

// Frames reach the trace window only while it is shown, each beside its decoded registers.
TEST_F(ConsoleWindowsTest, TheShownTraceWindowDecodesEveryFrame) {
  FrmStartup startup(console(), *rig.bench);
  FrmTrace& trace = console().traceWindow();
  console().commandPanel->cbReadAllVolts->click();
  EXPECT_FALSE(trace.txtTrace->toPlainText().contains("Sent:"));
  trace.show();
  console().commandPanel->cbReadAllVolts->click();
  const QString text = trace.txtTrace->toPlainText();
  EXPECT_TRUE(text.contains(
      QRegularExpression("Sent: 31 3C 0[0-9A-F] +\\| read all QVM52400 dev 3 Read All Voltages\n")))
      << text.toStdString();
  EXPECT_TRUE(text.contains(QRegularExpression(
      "\\n +\\| QVM52400 dev 3 Vbat Voltage 0x[0-9A-F]{4} [0-9]+\\.[0-9]{4} V\n")))
      << text.toStdString();
  EXPECT_EQ(text.count("Cell 12 Voltage"), 3);
}

TEST(StartupPromptTest, PromptsBeforeTheBringUpCarryTheTitle) {
  ConsoleOnSimulatedBoard rig("daisy:52400x3");
  std::vector<std::string> titles;
  rig.host.SetAnswerHook([&](const QtHost::Prompt& prompt) {
    titles.push_back(prompt.title);
    return QtHost::Answer{};
  });
  rig.evb->board->Unplug();
  FrmStartup startup(*rig.console, *rig.bench);
  ASSERT_EQ(titles.size(), 1u);
  EXPECT_EQ(titles[0], "BMS  Evaluation Board");
  EXPECT_EQ(rig.console->CurrentForm(), &startup);
}

TEST_F(ConsoleWindowsTest, EepromUtilitiesAreOfferedWhileConnected) {
  EXPECT_TRUE(console().mnuEEPROMUtilities->isEnabled());
  console().cmdDisconnect->click();
  EXPECT_FALSE(console().mnuEEPROMUtilities->isEnabled());
  ConsoleOnSimulatedBoard fresh("daisy:52400x3");
  EXPECT_FALSE(fresh.console->mnuEEPROMUtilities->isEnabled());
}

TEST(ConsolePartNamesTest, AChainOf38817NamesItEverywhereAndHidesTheCompanion) {
  ConsoleOnSimulatedBoard rig("daisy:38817x3");
  rig.console->show();
  rig.ConfirmConfiguration(true, 0, 3);
  GenericVbDiag& console = *rig.console;
  EXPECT_EQ(console.opt52400->text(), "QVM38817");
  EXPECT_EQ(static_cast<QLabel*>(console.logCaptions[1])->text(), "QVM38817 Hex Log");
  EXPECT_EQ(console.findChild<QLabel*>("lblLink52400")->text(), "QVM38817");
  EXPECT_TRUE(console.findChild<QLabel*>("lblLink52400")->isVisible());
  EXPECT_TRUE(console.ledCom[0]->isVisible());
  for (QWidget* companion :
       {static_cast<QWidget*>(console.findChild<QLabel*>("lblLink52401")),
        static_cast<QWidget*>(console.ledCom[1]), static_cast<QWidget*>(console.ledAck[1]),
        static_cast<QWidget*>(console.ledNack[1]), static_cast<QWidget*>(console.ledFault[1]),
        static_cast<QWidget*>(console.opt52401)}) {
    EXPECT_FALSE(companion->isVisible()) << companion->objectName().toStdString();
  }
  EXPECT_TRUE(console.windowTitle().startsWith("BMS Device: Daisy Chain  Version "))
      << console.windowTitle().toStdString();

  ConsoleOnSimulatedBoard single("single:38817");
  single.console->show();
  single.ConfirmConfiguration(false, 0, 1);
  EXPECT_TRUE(single.console->windowTitle().startsWith("BMS Device: Non-Daisy Chain  Version "));
  EXPECT_EQ(single.console->opt52400->text(), "QVM38817");
}

TEST(ConsoleLoadTest, MissingTabDefinitionsEndTheLoadAndAFailedConfigurationChangesNothing) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("qvm-console-load-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  VirtualClock clock;
  std::string error;
  auto evb = sim::MakeSimulatedEvb("daisy:52400x3", clock, error);
  QtHost host;
  std::vector<std::string> prompts;
  host.SetAnswerHook([&](const QtHost::Prompt& prompt) {
    prompts.push_back(prompt.text);
    return QtHost::Answer{};
  });
  {
    GenericVbDiag console(ConsoleDeps{*evb->bus, host, clock, folder.string()});
    console.FormLoad();
    EXPECT_TRUE(console.LoadFailed());
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_NE(prompts[0].find("   not found."), std::string::npos) << prompts[0];
  }
  std::filesystem::copy_file(std::filesystem::path(QVM_BIN_DIR) / "tabdefs_QVM52400_RevA.csv",
                             folder / "tabdefs_QVM52400_RevA.csv");
  prompts.clear();
  GenericVbDiag console(ConsoleDeps{*evb->bus, host, clock, folder.string()});
  console.FormLoad();
  EXPECT_FALSE(console.LoadFailed());
  const std::string title = console.windowTitle().toStdString();
  const std::uint8_t command = console.session().exchange.BridgeCommand;
  const int tabs = console.TabStrip1->count();
  FrmManualConfig& dialog = console.manualConfig();
  dialog.optDaisyChain[0]->click();
  dialog.optDevices[0]->click();
  dialog.findChild<QPushButton*>("OKButton")->click();
  ASSERT_EQ(prompts.size(), 1u);
  const SharedState& state = console.session().state;
  EXPECT_EQ(state.PartName52400, "QVM52400");
  EXPECT_EQ(state.PartName52401, "QVM52401");
  EXPECT_EQ(state.TabDefsFileName, kTabDefs52400);
  EXPECT_FALSE(state.DeviceConfigChosen);
  EXPECT_FALSE(state.ManualDaisyChain);
  EXPECT_EQ(console.session().exchange.BridgeCommand, command);
  EXPECT_EQ(console.windowTitle().toStdString(), title);
  EXPECT_EQ(console.TabStrip1->count(), tabs);
  EXPECT_FALSE(console.session().bridge.EvbConnected);

  dialog.optDevices[1]->click();
  dialog.findChild<QPushButton*>("OKButton")->click();
  EXPECT_TRUE(console.session().bridge.EvbConnected);
  std::filesystem::remove_all(folder);
}

TEST(ConsoleLocaleTest, DisplaysUseTheLocaleSeparatorAndTheExportADot) {
  struct LocaleGuard {
    LocaleGuard() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    ~LocaleGuard() { QLocale::setDefault(QLocale::c()); }
  } german;
  ConsoleOnSimulatedBoard rig("daisy:52400x3");
  rig.console->show();
  rig.ConfirmConfiguration(true, 1, 3);
  const QComboBox* timeout = rig.console->findChild<QComboBox*>("cboBalanceTimeout");
  ASSERT_NE(timeout, nullptr);
  EXPECT_TRUE(timeout->itemText(1).contains(',')) << timeout->itemText(1).toStdString();
  EXPECT_FALSE(timeout->itemText(1).contains('.'));

  rig.console->commandPanel->cbScanAllAll->click();
  rig.console->commandPanel->cbReadAllVolts->click();
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("qvm-locale-" + std::to_string(::getpid()) + ".csv"))
                               .string();
  rig.host.SetAnswerHook([&](const QtHost::Prompt& prompt) {
    QtHost::Answer answer;
    if (prompt.kind == QtHost::PromptKind::SaveFile) answer.fileName = path;
    return answer;
  });
  rig.console->chartWindow().cmdChartExportCsv->click();
  std::ifstream file(path, std::ios::binary);
  std::string header;
  std::string row;
  std::getline(file, header);
  std::getline(file, row);
  std::filesystem::remove(path);
  const std::size_t elapsed = row.find(',') + 1;
  EXPECT_EQ(row.substr(elapsed, 5), "0.00,") << row;
  EXPECT_EQ(std::count(row.begin(), row.end(), ','), std::count(header.begin(), header.end(), ','))
      << row;
}

TEST_F(ConsoleWindowsTest, ControlsKeepTheirCaptionsAt1280x720) {
  console().resize(1280, 720);
  QCoreApplication::processEvents();
  EXPECT_LE(console().width(), 1280);
  for (QWidget* control :
       {static_cast<QWidget*>(console().chkEnablePolling),
        static_cast<QWidget*>(console().cmdLogToFile),
        static_cast<QWidget*>(console().cmdShowChart),
        static_cast<QWidget*>(console().cmdPollingSetup),
        static_cast<QWidget*>(console().cmdConnect), static_cast<QWidget*>(console().opt52400)}) {
    EXPECT_GE(control->width(), control->sizeHint().width()) << control->objectName().toStdString();
    const QRect inWindow(control->mapTo(&console(), QPoint(0, 0)), control->size());
    EXPECT_TRUE(console().rect().contains(inWindow)) << control->objectName().toStdString();
  }
  // The polling check box shares no cell with a button.
  const QRect box(console().chkEnablePolling->geometry());
  for (QWidget* button : {static_cast<QWidget*>(console().cmdLogToFile),
                          static_cast<QWidget*>(console().cmdShowChart)}) {
    EXPECT_FALSE(box.intersects(button->geometry())) << button->objectName().toStdString();
  }

  FrmMainF340& bench = *rig.bench;
  bench.show();
  QCoreApplication::processEvents();
  EXPECT_LE(bench.sizeHint().width(), 1366);
  EXPECT_LE(bench.sizeHint().height(), 740);
}

TEST_F(ConsoleWindowsTest, AboutNamesTheVersionsAndTheSystem) {
  console().mnuAbout_Click();
  ASSERT_FALSE(rig.prompts.empty());
  const std::string& text = rig.prompts.back();
  EXPECT_NE(text.find("BMS Evaluation Console Version "), std::string::npos);
  EXPECT_NE(text.find(std::string("Qt ") + qVersion()), std::string::npos);
  EXPECT_NE(text.find("hidapi 0."), std::string::npos);
  EXPECT_NE(text.find(QSysInfo::kernelType().toStdString()), std::string::npos);
}

}  // namespace
}  // namespace qvm::test
