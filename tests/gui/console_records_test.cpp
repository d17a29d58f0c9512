// SPDX-License-Identifier: MIT
#include <unistd.h>

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "console_fixture.h"

namespace qvm::test {
namespace {

class ConsoleRecordsTest : public ::testing::Test {
 protected:
  ConsoleRecordsTest() : rig("daisy:52400x3") {
    rig.console->show();
    rig.ConfirmConfiguration(true, 1, 3);
    folder = std::filesystem::temp_directory_path() /
             ("qvm-console-records-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
  }
  ~ConsoleRecordsTest() override { std::filesystem::remove_all(folder); }

  GenericVbDiag& console() { return *rig.console; }

  ConsoleOnSimulatedBoard rig;
  std::filesystem::path folder;
};

TEST_F(ConsoleRecordsTest, CrcErrorPopsUpTheCommunicationErrorWindow) {
  FrmFaultLog& window = *console().records().comErrors;
  EXPECT_FALSE(window.isVisible());
  rig.evb->chain->Faults().badCrc = 1;
  console().commandPanel->cbReadAllVolts->click();
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.windowTitle(), "QVM52400 Communication Errors");
  EXPECT_TRUE(window.txtComErrLog->toPlainText().contains("    CRC4 Error "));
  window.cbDone->click();
  EXPECT_FALSE(window.isVisible());
}

TEST_F(ConsoleRecordsTest, ReadVoltsFeedsTheChartsOnlyWhileAsked) {
  ChartStore& chart = console().records().chart;
  console().commandPanel->cbScanAllVolts->click();
  console().commandPanel->cbReadAllVolts->click();
  const int first = chart.ChartSampleIndex();
  EXPECT_TRUE(chart.ChartStarted());
  console().commandPanel->cbReadAllVolts->click();
  EXPECT_EQ(chart.ChartSampleIndex(), first + 1);
  console().mnuUpdateChart->setChecked(false);
  console().commandPanel->cbReadAllVolts->click();
  EXPECT_EQ(chart.ChartSampleIndex(), first + 1);
}

TEST_F(ConsoleRecordsTest, LogButtonWritesEveryTracedTransferBetweenTheMarkers) {
  const std::string path = (folder / "traffic.txt").string();
  rig.host.SetAnswerHook([&](const QtHost::Prompt& prompt) {
    QtHost::Answer answer;
    if (prompt.kind == QtHost::PromptKind::SaveFile) answer.fileName = path;
    return answer;
  });
  EXPECT_EQ(console().cmdLogToFile->text(), "Start Logging File");
  console().cmdLogToFile->click();
  EXPECT_EQ(console().cmdLogToFile->text(), "Stop Data Logging");
  console().commandPanel->cbReadAllFaults->click();
  console().cmdLogToFile->click();
  EXPECT_EQ(console().cmdLogToFile->text(), "Start Data Logging");

  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  const std::string content = text.str();
  EXPECT_EQ(content.rfind("[Logging Started: ", 0), 0u) << content;
  EXPECT_NE(content.find("\r\nSent: "), std::string::npos);
  EXPECT_NE(content.find("\r\nRcvd: "), std::string::npos);
  EXPECT_NE(content.find("[Logging Stopped: "), std::string::npos);
  EXPECT_EQ(content.substr(content.size() - 2), "\r\n");
}

TEST_F(ConsoleRecordsTest, RecordToCsvWhilePollingWritesARowPerPolledSample) {
  const std::string path = (folder / "polled.csv").string();
  std::optional<std::string> answer = path;
  rig.host.SetAnswerHook([&](const QtHost::Prompt& prompt) {
    QtHost::Answer reply;
    if (prompt.kind == QtHost::PromptKind::SaveFile) reply.fileName = answer;
    return reply;
  });
  console().session().state.PollReadVolts = true;
  // Rows come without the charts too.
  console().mnuUpdateChart->setChecked(false);
  console().mnuRecordCsv->setChecked(true);
  console().chkEnablePolling->setChecked(true);
  for (int tick = 0; tick < 3; ++tick) console().Timer2_Timer();
  const auto rows = [&path] {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  };
  // Each row is in the file as soon as its sample is taken.
  const std::string polled = rows();
  EXPECT_EQ(std::count(polled.begin(), polled.end(), '\n'), 4);
  console().chkEnablePolling->setChecked(false);
  console().Timer2_Timer();
  const std::string text = rows();
  EXPECT_EQ(text.rfind("TimeStamp,Elapsed(min),ComErrors,VCell1-1,", 0), 0u);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);

  // A cancelled file choice clears the menu item: no recording is claimed.
  answer.reset();
  console().chkEnablePolling->setChecked(true);
  EXPECT_FALSE(console().mnuRecordCsv->isChecked());
  console().chkEnablePolling->setChecked(false);
}

TEST_F(ConsoleRecordsTest, ConfigurationSavedFromTheFileMenuLoadsBack) {
  const std::string path = (folder / "chain.txt").string();
  rig.host.SetAnswerHook([&](const QtHost::Prompt& prompt) {
    QtHost::Answer answer;
    if (prompt.kind == QtHost::PromptKind::SaveFile ||
        prompt.kind == QtHost::PromptKind::OpenFile) {
      answer.fileName = path;
    }
    // Values never read are read from the devices first.
    answer.accept = prompt.kind == QtHost::PromptKind::YesNo;
    return answer;
  });
  Session& session = console().session();
  console().mnuSaveConfig->trigger();
  ASSERT_TRUE(std::filesystem::exists(path));
  rig.evb->chain->Device(0, 2).Write(0x90, 0);
  session.image.StoreRead(0, 2, 0x90, 0, 1);
  console().txtLog->clear();
  console().mnuLoadConfig->trigger();
  EXPECT_EQ(session.image.at(0, 2, 0x90), 0x1AE1);
  EXPECT_EQ(rig.evb->chain->Device(0, 2).Read(0x90), 0x1AE1);
  EXPECT_TRUE(
      console().txtLog->toPlainText().contains("wrt,QVM52400,dev0x02,cat0x0A,adr0x10,dat0x1AE1"));

  console().cmdDisconnect_Click();
  EXPECT_FALSE(console().mnuLoadConfig->isEnabled());
  EXPECT_FALSE(console().mnuLoadEE->isEnabled());
}

TEST_F(ConsoleRecordsTest, SpiMenusOpenTheirDialogs) {
  console().mnuSetSpiTimeout->trigger();
  EXPECT_TRUE(console().spiTimeout().isVisible());
  EXPECT_EQ(console().spiTimeout().tbSpiTimeout->text(), "5272");
  console().spiTimeout().CancelButton_Click();
  console().mnuSetSpiSpeed->trigger();
  EXPECT_TRUE(console().spiClockSpeed().isVisible());
}

}  // namespace
}  // namespace qvm::test
