// SPDX-License-Identifier: MIT
#include <sys/stat.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <filesystem>
#include <fstream>

#include "bench/write_data_file.h"
#include "console_fixture.h"

namespace qvm::test {
namespace {

TEST(WriteDataFileTest, ReadsHexBytesAndNamesTheLineOfABadToken) {
  const struct {
    const char* text;
    std::vector<std::uint8_t> bytes;
    std::string error;
  } cases[] = {
      {"5A 01,ff\n0x10 # 99 is a comment\n\tA\r\n", {0x5A, 0x01, 0xFF, 0x10, 0x0A}, ""},
      {"# only a comment\r\n", {}, ""},
      {"01,,02#x", {0x01, 0x02}, ""},
      {"01 02\n03 0G\n04", {}, "Line 2: \"0G\" is not a hexadecimal byte."},
      {"100", {}, "Line 1: \"100\" is not a hexadecimal byte."},
      {"\r\n\r\n0x", {}, "Line 3: \"0x\" is not a hexadecimal byte."},
  };
  for (const auto& c : cases) {
    const WriteDataFile parsed = ParseWriteDataText(c.text);
    EXPECT_EQ(parsed.bytes, c.bytes) << c.text;
    EXPECT_EQ(parsed.error, c.error) << c.text;
  }
  EXPECT_FALSE(ReadWriteDataFile("/nonexistent/write-data.txt").error.empty());
}

class BenchExchangeTest : public ::testing::Test {
 protected:
  BenchExchangeTest() : rig("daisy:52400x3") {
    rig.console->show();
    rig.ConfirmConfiguration(true, 1, 3);
    folder = std::filesystem::temp_directory_path() /
             ("qvm-bench-exchange-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
  }
  ~BenchExchangeTest() override { std::filesystem::remove_all(folder); }

  FrmMainF340& bench() { return *rig.bench; }
  const std::deque<Report>& Sent() { return rig.evb->board->ReceivedReports(); }
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = (folder / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  ConsoleOnSimulatedBoard rig;
  std::filesystem::path folder;
};

TEST_F(BenchExchangeTest, McbSpiSendsTheTypedBytesAndShowsTheExchange) {
  const std::uint8_t consoleCommand = rig.console->session().exchange.BridgeCommand;
  bench().cboBridgeCommand->setCurrentIndex(0);
  bench().txtHeaderByte->setText("00");
  bench().txtNumToWrite->setText("3");
  const char* typed[] = {"A1", "b2", "C3"};
  for (int i = 0; i < 3; ++i) bench().txtWriteVal[static_cast<std::size_t>(i)]->setText(typed[i]);
  rig.evb->board->ClearReceivedReports();
  bench().cmdMCBSPI->click();

  ASSERT_FALSE(Sent().empty());
  const auto& report = Sent().back();
  EXPECT_EQ(report[1], 21);
  EXPECT_EQ(report[3], 3);
  EXPECT_EQ(report[4], 0x00);
  EXPECT_EQ(report[5], 0xA1);
  EXPECT_EQ(report[6], 0xB2);
  EXPECT_EQ(report[7], 0xC3);
  const QString sequence = QString::number(report[2]);
  EXPECT_EQ(bench().lblReportCount[0]->text(), sequence);
  EXPECT_EQ(bench().lblReportCount[1]->text(), sequence);
  EXPECT_TRUE(bench().txtWriteRaw->text().startsWith(
      QString("01 15 %1 03 00 A1 B2 C3").arg(report[2], 2, 16, QChar('0')).toUpper()))
      << bench().txtWriteRaw->text().toStdString();
  EXPECT_EQ(bench().txtReadVal[2]->text().toUInt(nullptr, 16), report[2]);
  EXPECT_EQ(bench().lblbytecount->text().toUInt(),
            bench().txtReadVal[3]->text().toUInt(nullptr, 16));
  EXPECT_EQ(rig.console->session().exchange.BridgeCommand, consoleCommand);
  EXPECT_TRUE(bench().cmdMCBSPI->isEnabled());
}

TEST_F(BenchExchangeTest, ConsoleExchangesShowInTheBenchFields) {
  rig.console->commandPanel->cbReadAllVolts->click();
  EXPECT_NE(bench().lblReportCount[0]->text(), "--");
  EXPECT_EQ(bench().lblReportCount[0]->text(), bench().lblReportCount[1]->text());
  EXPECT_TRUE(bench().txtWriteRaw->text().startsWith("01 16 "));
}

TEST_F(BenchExchangeTest, WriteDataFileFeedsTheSendAndABadLineSendsNothing) {
  std::string path = Write("good.txt", "A1, B2 # first frame\r\nC3\r\n");
  rig.host.SetAnswerHook([&](const QtHost::Prompt& prompt) {
    rig.prompts.push_back(prompt.text);
    QtHost::Answer answer;
    if (prompt.kind == QtHost::PromptKind::OpenFile && !path.empty()) answer.fileName = path;
    return answer;
  });
  bench().chkFileWriteData->click();
  ASSERT_TRUE(bench().chkFileWriteData->isChecked());
  EXPECT_EQ(bench().lblWriteDataFile->text(), "good.txt");
  bench().txtNumToWrite->setText("9");
  rig.evb->board->ClearReceivedReports();
  bench().cmdMCBSPI->click();
  ASSERT_FALSE(Sent().empty());
  EXPECT_EQ(Sent().back()[3], 3);
  EXPECT_EQ(Sent().back()[7], 0xC3);

  Write("good.txt", "A1 B2\n# fine\nC3 ZZ\n");
  rig.prompts.clear();
  rig.evb->board->ClearReceivedReports();
  bench().cmdMCBSPI->click();
  EXPECT_TRUE(Sent().empty());
  ASSERT_EQ(rig.prompts.size(), 1u);
  EXPECT_EQ(rig.prompts[0].rfind("Line 3: \"ZZ\" is not a hexadecimal byte.", 0), 0u)
      << rig.prompts[0];

  path.clear();
  bench().chkFileWriteData->click();
  bench().chkFileWriteData->click();
  EXPECT_FALSE(bench().chkFileWriteData->isChecked());
}

// Only a plain file of bounded size is read: anything else is named in a message, never waited
// on or read whole, and nothing is sent.
TEST_F(BenchExchangeTest, WriteDataThatIsNoPlainFileOfBoundedSizeSendsNothing) {
  const std::string fifo = (folder / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {folder.string(), folder.string() + " is not a plain file."},
      {Write("empty.txt", ""), (folder / "empty.txt").string() + " is empty."},
      {"/dev/zero", "/dev/zero is not a plain file."},
      {fifo, fifo + " is not a plain file."},
      {Write("large.txt", std::string(64 * 1024 + 1, ' ')),
       (folder / "large.txt").string() + " is too large to be a write data file."},
  };
  std::string path;
  rig.host.SetAnswerHook([&](const QtHost::Prompt& prompt) {
    rig.prompts.push_back(prompt.text);
    QtHost::Answer answer;
    if (prompt.kind == QtHost::PromptKind::OpenFile) answer.fileName = path;
    return answer;
  });
  for (const auto& c : cases) {
    path = c.path;
    if (bench().chkFileWriteData->isChecked()) bench().chkFileWriteData->click();
    bench().chkFileWriteData->click();
    ASSERT_TRUE(bench().chkFileWriteData->isChecked()) << c.path;
    rig.prompts.clear();
    rig.evb->board->ClearReceivedReports();
    bench().cmdMCBSPI->click();
    EXPECT_TRUE(Sent().empty()) << c.path;
    ASSERT_EQ(rig.prompts.size(), 1u) << c.path;
    EXPECT_EQ(rig.prompts[0], c.message + " Nothing was sent.");
  }
}

TEST_F(BenchExchangeTest, PauseOnNackStopsAtTheErrorWindow) {
  rig.evb->chain->Faults().nakInstead = 1;
  rig.console->commandPanel->cbReadAllFaults->click();
  EXPECT_TRUE(rig.prompts.empty());
  bench().ChkPauseOnNack->click();
  rig.evb->chain->Faults().nakInstead = 1;
  rig.console->commandPanel->cbReadAllFaults->click();
  ASSERT_EQ(rig.prompts.size(), 1u);
  EXPECT_EQ(rig.prompts[0],
            rig.console->records().comErrors->txtComErrLog->toPlainText().toStdString());
}

TEST_F(BenchExchangeTest, TraceWindowRecordsTheReconnectAndSavesIt) {
  FrmTrace& trace = rig.console->traceWindow();
  rig.console->cmdDisconnect->click();
  rig.console->cmdConnect->click();
  EXPECT_TRUE(trace.txtTrace->toPlainText().contains("     Init USB HID Connection\n"));
  EXPECT_FALSE(trace.txtTrace->toPlainText().contains("Clear USB Buffer Memory: 63"));
  trace.chkTraceDetailed->setChecked(true);
  rig.console->cmdDisconnect->click();
  rig.console->cmdConnect->click();
  EXPECT_TRUE(trace.txtTrace->toPlainText().contains("Clear USB Buffer Memory: 63\n"));
  rig.bench->cmdResetGPIO_Click();
  EXPECT_TRUE(trace.txtTrace->toPlainText().endsWith("Clear GPIO Bits Ports 0 to 4\n"));

  const std::string path = (folder / "trace.txt").string();
  rig.host.SetAnswerHook([&](const QtHost::Prompt& prompt) {
    QtHost::Answer answer;
    if (prompt.kind == QtHost::PromptKind::SaveFile) answer.fileName = path;
    return answer;
  });
  trace.cmdSaveTrace->click();
  std::ifstream file(path, std::ios::binary);
  const std::string saved((std::istreambuf_iterator<char>(file)), {});
  EXPECT_NE(saved.find("     Init USB HID Connection\r\n"), std::string::npos);
  EXPECT_EQ(saved.find("\n\n"), std::string::npos);

  trace.chkTraceEnabled->setChecked(false);
  trace.cmdClearTrace->click();
  rig.console->cmdDisconnect->click();
  rig.console->cmdConnect->click();
  EXPECT_TRUE(trace.txtTrace->toPlainText().isEmpty());
}

}  // namespace
}  // namespace qvm::test
