// SPDX-License-Identifier: MIT
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "broker_process.h"
#include "console_fixture.h"
#include "subscriber.h"

namespace qvm::test {
namespace {

// The console's remembered settings for one test.
std::string SettingsFile() {
  return (std::filesystem::temp_directory_path() /
          ("qvm-console-records-" + std::to_string(::getpid()) + ".conf"))
      .string();
}

class ConsoleRecordsTest : public ::testing::Test {
 protected:
  ConsoleRecordsTest() : rig("daisy:52400x3", {}, SettingsFile()) {
    rig.console->show();
    rig.ConfirmConfiguration(true, 1, 3);
    folder = std::filesystem::temp_directory_path() /
             ("qvm-console-records-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
  }
  ~ConsoleRecordsTest() override {
    rig.console.reset();
    std::filesystem::remove_all(folder);
    std::filesystem::remove(SettingsFile());
  }

  // Polls `ticks` ticks of "Read All Voltages" with the CSV recording to `csv`; the messages
  // queued for the broker, one per tick.
  std::vector<std::string> PollWithCsv(const std::string& csv, int ticks) {
    rig.host.SetAnswerHook([csv](const QtHost::Prompt& prompt) {
      QtHost::Answer reply;
      if (prompt.kind == QtHost::PromptKind::SaveFile) reply.fileName = csv;
      return reply;
    });
    console().session().state.PollReadVolts = true;
    console().mnuRecordCsv->setChecked(true);
    console().chkEnablePolling->setChecked(true);
    std::vector<std::string> queued;
    for (int tick = 0; tick < ticks; ++tick) {
      console().Timer2_Timer();
      queued.push_back(console().publishing().LastMessage());
    }
    console().chkEnablePolling->setChecked(false);
    return queued;
  }

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

TEST_F(ConsoleRecordsTest, PublishToMqttSendsEveryPolledTickAsItsJsonAndIsRemembered) {
  BrokerProcess broker;
  ASSERT_TRUE(broker.Start()) << broker.Error();
  Subscriber subscriber(broker.Port(), "lab/#");
  ASSERT_TRUE(subscriber.WaitSubscribed());
  QLabel& label = *console().lblMqtt;
  EXPECT_TRUE(label.isHidden());

  console().mnuPublishMqtt->trigger();
  FrmPublishMqtt& dialog = console().publishDialog();
  ASSERT_TRUE(dialog.isVisible());
  dialog.chkPublish->setChecked(true);
  // A malformed address keeps the dialog open and says what is wrong.
  dialog.txtUrl->setText("mqtt://127.0.0.1/lab/#");
  dialog.findChild<QPushButton*>("OKButton")->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(dialog.lblProblem->text().startsWith("Broker: mqtt://127.0.0.1/lab/#: "));
  const std::string url = "mqtt://127.0.0.1:" + std::to_string(broker.Port()) + "/lab/rig1";
  dialog.txtUrl->setText(QString::fromStdString(url));
  dialog.txtRig->setText("rig1");
  dialog.findChild<QPushButton*>("OKButton")->click();
  EXPECT_FALSE(dialog.isVisible());
  // Remembered for the next run.
  const PublishChoice saved = LoadPublishChoice(*ConsoleSettings(SettingsFile()));
  EXPECT_TRUE(saved.on);
  EXPECT_EQ(saved.options.url, url);
  EXPECT_EQ(saved.options.rig, "rig1");
  EXPECT_EQ(saved.options.qos, 1);

  const std::vector<std::string> queued = PollWithCsv((folder / "published.csv").string(), 3);
  const std::string added = ",\"rig\":\"rig1\",\"board\":\"SIM-0001\",\"chain\":\"daisy:52400x3\"}";
  for (std::size_t i = 0; i < queued.size(); ++i) {
    EXPECT_EQ(queued[i].rfind("{\"tick\":" + std::to_string(i + 1) + ",\"time_ms\":", 0), 0u)
        << queued[i];
    EXPECT_NE(queued[i].find(",\"com_errors\":\"\",\"volts\":[{\"type\":\"QVM52400\",\"dev\":1,"),
              std::string::npos)
        << queued[i];
    EXPECT_EQ(queued[i].substr(queued[i].size() - added.size()), added);
  }
  const auto received = subscriber.WaitFor(
      [](const std::vector<Received>& r) {
        return std::count_if(r.begin(), r.end(),
                             [](const Received& m) { return m.topic == "lab/rig1"; }) >= 3;
      },
      std::chrono::seconds{10});
  std::vector<std::string> samples;
  for (const Received& m : received) {
    if (m.topic == "lab/rig1") samples.push_back(m.payload);
  }
  EXPECT_EQ(samples, queued);
  EXPECT_TRUE(QTest::qWaitFor([&] { return label.text() == "MQTT: connected"; }, 5000))
      << label.text().toStdString();
  EXPECT_FALSE(label.isHidden());

  // Switched off, and remembered so.
  console().publishing().SetChoice({});
  EXPECT_FALSE(LoadPublishChoice(*ConsoleSettings(SettingsFile())).on);
}

TEST_F(ConsoleRecordsTest, AnAbsentBrokerNeverStopsPollingOrTheCsv) {
  PublishChoice choice;
  choice.on = true;
  choice.options.url = "mqtt://127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/lab/rig1";
  console().publishing().SetChoice(choice);
  const std::string csv = (folder / "away.csv").string();
  const std::vector<std::string> queued = PollWithCsv(csv, 3);
  EXPECT_EQ(queued.size(), 3u);
  std::ifstream file(csv, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  const std::string rows = text.str();
  EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 4);
  QLabel& label = *console().lblMqtt;
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return label.text() == "MQTT: unreachable: Connection refused (3 queued)"; }, 5000))
      << label.text().toStdString();
  // Switched off, what was never sent is counted in the label.
  choice.on = false;
  console().publishing().SetChoice(choice);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return label.text() == "MQTT: stopped, 3 samples not delivered"; }, 10000))
      << label.text().toStdString();
}

}  // namespace
}  // namespace qvm::test
