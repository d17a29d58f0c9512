// SPDX-License-Identifier: MIT
#include <unistd.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/board_source.h"
#include "app/console_program.h"
#include "bench/sfr_access.h"
#include "console_fixture.h"
#include "ui/led_indicator.h"

namespace qvm::test {
namespace {

bool IsSpiPacket(const Report& report) {
  return report[1] >= 20 && report[1] <= 24;
}

bool IsPortWrite(const Report& report) {
  return report[1] == kSfrCommand && report[2] == 0;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

int CountTraces(const QString& text) {
  return static_cast<int>(text.count("Sent:") + text.count("Rcvd:"));
}

// The program as it starts: nothing but the link's own settings reaches the board until the
// user confirms the board on the startup window; only then does the configuration dialog
// open, and the chain is identified after the ports were set up.
TEST(BoardLink, ProgramIdentifiesOnlyAfterTheStartupWindowPowersTheBoard) {
  VirtualClock clock;
  std::string error;
  auto evb = sim::MakeSimulatedEvb("daisy:52400x3", clock, error);
  ASSERT_TRUE(evb) << error;
  QtHost host;
  std::vector<std::string> prompts;
  host.SetAnswerHook([&](const QtHost::Prompt& prompt) {
    prompts.push_back(prompt.text);
    return QtHost::Answer{};
  });
  ConsoleProgram program(ConsoleDeps{*evb->bus, host, clock, QVM_BIN_DIR});
  FrmManualConfig& dialog = program.console.manualConfig();
  program.startup.show();

  // Well past the console's configuration timer.
  QTest::qWait(600);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(program.console.isVisible());
  const auto& reports = evb->board->ReceivedReports();
  EXPECT_TRUE(std::none_of(reports.begin(), reports.end(), IsSpiPacket));
  EXPECT_TRUE(std::none_of(reports.begin(), reports.end(), IsPortWrite));

  program.startup.cboDeviceSelect->setCurrentIndex(1);
  emit program.startup.cboDeviceSelect->activated(1);
  EXPECT_TRUE(program.console.isVisible());
  EXPECT_TRUE(std::none_of(reports.begin(), reports.end(), IsSpiPacket));
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isVisible(); }, 2000));

  dialog.optDaisyChain[0]->click();
  dialog.optDevices[1]->click();
  dialog.updnDevCount->setValue(3);
  dialog.findChild<QPushButton*>("OKButton")->click();
  EXPECT_EQ(program.console.session().state.DeviceCount52400, 3);
  const auto firstSpi = std::find_if(reports.begin(), reports.end(), IsSpiPacket);
  const auto lastPortWrite = std::find_if(reports.rbegin(), reports.rend(), IsPortWrite);
  ASSERT_NE(firstSpi, reports.end());
  ASSERT_NE(lastPortWrite, reports.rend());
  // The last port write comes before the first SPI packet.
  EXPECT_LE(std::distance(reports.begin(), lastPortWrite.base()),
            std::distance(reports.begin(), firstSpi));
  EXPECT_TRUE(prompts.empty());
}

// On the simulated board the startup window, the console's title and its Link frame say so, and
// the configuration dialog proposes the simulated chain; on a real board none of them does.
TEST(BoardLink, TheSimulatedBoardIsNamedAndItsChainProposed) {
  for (const std::string chain : {"daisy:52400x2+52401x2", ""}) {
    VirtualClock clock;
    std::string error;
    auto evb = sim::MakeSimulatedEvb("daisy:52400x2+52401x2", clock, error);
    ASSERT_TRUE(evb) << error;
    QtHost host;
    host.SetAnswerHook([](const QtHost::Prompt&) { return QtHost::Answer{}; });
    ConsoleProgram program(
        ConsoleDeps{*evb->bus, host, clock, QVM_BIN_DIR, kBridgeVendorId, chain});
    const bool simulated = !chain.empty();
    const QString note = QString::fromStdString("simulated board " + chain);
    EXPECT_EQ(program.startup.lblBoard->isVisibleTo(&program.startup), simulated);
    EXPECT_EQ(program.startup.windowTitle().contains(note), simulated);
    const ManualConfigChoice proposed = program.console.manualConfig().Choice();
    EXPECT_EQ(proposed.family == DeviceFamily::QVM52400And52401 && proposed.stackSize == 2,
              simulated);
    program.console.show();
    program.console.manualConfig().findChild<QPushButton*>("OKButton")->click();
    EXPECT_EQ(program.console.windowTitle().contains(note), simulated) << chain;
    EXPECT_EQ(program.console.lblBoard->isVisible(), simulated);
  }
}

// The bridge board's window is reached from the running console, with all its pages, and showing
// it leaves the console's link as it was: nothing is sent, the chain stays connected.
TEST(BoardLink, TheConsoleShowsTheBridgeBoardWindow) {
  ConsoleOnSimulatedBoard rig("daisy:52400x3");
  rig.console->show();
  rig.ConfirmConfiguration(true, 1, 3);
  ASSERT_TRUE(rig.console->mnuBridgeBoard->isEnabled());
  rig.evb->board->ClearReceivedReports();
  rig.console->mnuBridgeBoard->trigger();
  EXPECT_TRUE(rig.bench->isVisible());
  EXPECT_TRUE(rig.evb->board->ReceivedReports().empty());
  EXPECT_TRUE(rig.console->session().bridge.EvbConnected);
  EXPECT_FALSE(rig.console->NotConnectedReason());
  const auto* pages = rig.bench->findChild<QTabWidget*>();
  ASSERT_NE(pages, nullptr);
  for (int page = 0; page < pages->count(); ++page) EXPECT_TRUE(pages->isTabEnabled(page)) << page;
}

// Two boards: the bench window lists both and every report goes to, and comes from, the board
// chosen there.
TEST(BoardLink, ChoosingBoardOneSwitchesBothHandles) {
  VirtualClock clock;
  auto first = std::make_shared<sim::SimulatedBoard>(clock, "sim:board0");
  auto second = std::make_shared<sim::SimulatedBoard>(clock, "sim:board1");
  sim::SimulatedBus bus({first, second});
  QtHost host;
  host.SetAnswerHook([](const QtHost::Prompt&) { return QtHost::Answer{}; });
  ConsoleProgram program(ConsoleDeps{bus, host, clock, QVM_BIN_DIR});
  FrmMainF340& bench = program.bench;
  ASSERT_EQ(bench.cboEVBinstance->count(), 2);
  EXPECT_EQ(bench.cboEVBinstance->itemText(0), "0");
  EXPECT_EQ(bench.cboEVBinstance->itemText(1), "1");
  EXPECT_EQ(program.console.session().bridge.SelectedBoard(), 0);

  const auto writeAndRead = [&](const char* value) {
    bench.txtSFRAddress->setText("80");
    bench.txtSFRWRData->setText(value);
    bench.cmdSetSFR_Click();
    bench.cmdGetSDFValue_Click();
    return bench.lblSFRBuf[3]->text().toStdString();
  };
  EXPECT_EQ(writeAndRead("11"), "11");
  first->ClearReceivedReports();
  second->ClearReceivedReports();

  bench.cboEVBinstance->setCurrentIndex(1);
  emit bench.cboEVBinstance->activated(1);
  EXPECT_EQ(program.console.session().bridge.SelectedBoard(), 1);
  EXPECT_EQ(writeAndRead("22"), "22");
  EXPECT_TRUE(first->ReceivedReports().empty());
  EXPECT_FALSE(second->ReceivedReports().empty());

  bench.cboEVBinstance->setCurrentIndex(0);
  emit bench.cboEVBinstance->activated(0);
  bench.cmdGetSDFValue_Click();
  EXPECT_EQ(bench.lblSFRBuf[3]->text().toStdString(), "11");

  // Reconnect scans again: with board 1 gone the list holds board 0 alone.
  second->Unplug();
  bench.cmdReconnect->click();
  EXPECT_EQ(bench.cboEVBinstance->count(), 1);
  EXPECT_EQ(program.console.session().bridge.BoardCount(), 1);
}

class UnplugDuringPolling : public ::testing::Test {
 protected:
  UnplugDuringPolling() : rig("daisy:52400x3") {
    folder =
        std::filesystem::temp_directory_path() / ("qvm-board-link-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    logPath = (folder / "traffic.txt").string();
    rig.host.SetAnswerHook([this](const QtHost::Prompt& prompt) {
      prompts.push_back(prompt.text);
      QtHost::Answer answer;
      if (prompt.kind == QtHost::PromptKind::SaveFile) answer.fileName = logPath;
      return answer;
    });
    rig.console->show();
    rig.ConfirmConfiguration(true, 1, 3);
  }
  ~UnplugDuringPolling() override { std::filesystem::remove_all(folder); }

  GenericVbDiag& console() { return *rig.console; }

  // One polling tick; returns the number of frames it traced.
  int Tick() {
    console().Timer2_Timer();
    return CountTraces(console().hexLogs[0]->toPlainText());
  }

  ConsoleOnSimulatedBoard rig;
  std::filesystem::path folder;
  std::string logPath;
  std::vector<std::string> prompts;
};

TEST_F(UnplugDuringPolling, PollingStopsTheLogKeepsEveryLineAndReconnectIdentifiesAgain) {
  console().cmdLogToFile->click();
  // The ticks below are driven by hand.
  console().tbPollingInterval->setText("5000");
  console().tbPollingInterval_Change();
  FrmPollOptions& options = console().pollOptions();
  options.show();
  options.chkReadVolts->setChecked(true);
  options.findChild<QPushButton*>("OKButton")->click();
  ASSERT_TRUE(console().chkEnablePolling->isChecked());
  int traced = Tick();
  ASSERT_GT(traced, 0);

  rig.evb->board->Unplug();
  traced += Tick();
  const std::string lost = "USB Communications lost, Disconnect and Reconnect, Polling Terminated";
  EXPECT_NE(std::find(prompts.begin(), prompts.end(), lost), prompts.end());
  EXPECT_FALSE(console().chkEnablePolling->isChecked());
  EXPECT_FALSE(console().pollingTimer().isActive());
  EXPECT_EQ(console().ledUSBConnected->colour(), QColor(0xFF, 0x00, 0x00));
  EXPECT_TRUE(console().statusBar()->currentMessage().startsWith(
      "USB link lost (simulated board unplugged)"));
  EXPECT_TRUE(console().cmdReconnect->isVisible());
  EXPECT_FALSE(console().cmdReconnect->isEnabled());
  EXPECT_TRUE(console().boardWatchTimer().isActive());
  EXPECT_EQ(console().boardWatchTimer().interval(), 1000);

  // The open log holds every traced frame, each a whole line, before it is stopped.
  std::string content = ReadWholeFile(logPath);
  ASSERT_GE(content.size(), 2u);
  EXPECT_EQ(content.substr(content.size() - 2), "\r\n");
  std::istringstream lines(content);
  std::string line;
  int frames = 0;
  while (std::getline(lines, line)) {
    if (line.rfind("Sent:", 0) == 0 || line.rfind("Rcvd:", 0) == 0) ++frames;
  }
  EXPECT_EQ(frames, traced);

  // The watch offers Reconnect once the board is listed again.
  rig.evb->board->Replug();
  ASSERT_TRUE(QTest::qWaitFor([&] { return console().cmdReconnect->isEnabled(); }, 2000));
  EXPECT_TRUE(console().statusBar()->currentMessage().startsWith("The evaluation board is back"));

  prompts.clear();
  console().session().state.DeviceCount52400 = 0;
  rig.evb->board->ClearReceivedReports();
  console().cmdReconnect->click();
  EXPECT_EQ(console().session().state.DeviceCount52400, 3);
  EXPECT_TRUE(console().session().bridge.EvbConnected);
  const auto& reports = rig.evb->board->ReceivedReports();
  EXPECT_TRUE(std::any_of(reports.begin(), reports.end(), IsSpiPacket));
  EXPECT_EQ(console().ledUSBConnected->colour(), QColor(0x00, 0xFF, 0x00));
  EXPECT_FALSE(console().cmdReconnect->isVisible());
  EXPECT_FALSE(console().boardWatchTimer().isActive());
  EXPECT_TRUE(console().statusBar()->currentMessage().isEmpty());
  EXPECT_TRUE(prompts.empty());

  console().cmdLogToFile->click();
  content = ReadWholeFile(logPath);
  EXPECT_NE(content.find("[Logging Stopped: "), std::string::npos);
}

TEST_F(UnplugDuringPolling, DisconnectWhileLostEndsTheWatch) {
  rig.evb->board->Unplug();
  console().commandPanel->cbReadAllVolts->click();
  ASSERT_TRUE(console().boardWatchTimer().isActive());
  console().cmdDisconnect->click();
  EXPECT_FALSE(console().boardWatchTimer().isActive());
  EXPECT_FALSE(console().cmdReconnect->isVisible());
  EXPECT_EQ(console().ledUSBConnected->colour(), QColor(0x7F, 0x7F, 0x7F));
}

// The board list follows the vendor id; without a user to ask, a missing board is an error
// with the reason instead of a prompt.
TEST(BoardLink, HardwareSourceLooksForTheChosenVendorIdAndAsksNobody) {
  VirtualClock clock;
  const std::uint16_t otherVendor = kBridgeVendorId ^ 0x0F0F;
  for (const std::uint16_t vendorId : {kBridgeVendorId, otherVendor}) {
    auto bus = std::make_unique<sim::SimulatedBus>();
    bus->Attach(std::make_shared<sim::SimulatedBoard>(clock, "sim:other", otherVendor));
    std::string error;
    const auto source =
        HardwareSource(std::move(bus), vendorId, clock, "daisy:52400x3", false, error);
    EXPECT_EQ(source.has_value(), vendorId == otherVendor);
    EXPECT_EQ(error.find("Evaluation Board not found.") != std::string::npos,
              vendorId == kBridgeVendorId);
  }
}

}  // namespace
}  // namespace qvm::test
