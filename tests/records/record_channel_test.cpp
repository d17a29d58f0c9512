// SPDX-License-Identifier: MIT
#include "records/record_channel.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>

#include "records/comm_log.h"
#include "records/record_paths.h"
#include "records_fixture.h"
#include "scripted_host.h"

namespace qvm::test {
namespace {

// Records the path each save dialog proposed, answering from the script.
class ProposalHost final : public ScriptedHost {
 public:
  std::optional<std::string> AskSaveFileName(const std::string& title, const std::string& filter,
                                             const std::string& suggested) override {
    titles.push_back(title);
    filters.push_back(filter);
    proposals.push_back(suggested);
    return ScriptedHost::AskSaveFileName(title, filter, suggested);
  }
  std::vector<std::string> titles;
  std::vector<std::string> filters;
  std::vector<std::string> proposals;
};

class RecordChannelTest : public ::testing::Test {
 protected:
  void SetUp() override { files.documents = docs.path(); }

  std::string Proposal() {
    RecordChannel channel(kCommLogChannel, host, files, title);
    EXPECT_EQ(channel.Open(), "");
    return host.proposals.back();
  }

  TempFolder docs;
  TestFileSystem files;
  ProposalHost host;
  FixedLocalTime time;
  std::string title = "Records";
};

TEST(RecordPathsTest, JoinsWithExactlyOneSeparator) {
  EXPECT_EQ(JoinPath("/home/u/Logs/", "/a.txt"), "/home/u/Logs/a.txt");
  EXPECT_EQ(JoinPath("  /home/u/Logs/ ", " a.txt  "), "/home/u/Logs/a.txt");
  EXPECT_EQ(JoinPath("/home/u/Logs", "a.txt"), "/home/u/Logs/a.txt");
  EXPECT_EQ(JoinPath("", "a.txt"), "/a.txt");
  EXPECT_EQ(FolderOfPath("/home/u/Logs/a.txt"), "/home/u/Logs");
  EXPECT_EQ(FolderOfPath("/a.txt"), "/");
  EXPECT_EQ(TrimAtNull(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(NumberedFileName("VediRo524_Log_", 1, ".txt"), "VediRo524_Log_01.txt");
  EXPECT_EQ(NumberedFileName("VediRo524_Log_", 12, ".txt"), "VediRo524_Log_12.txt");
  EXPECT_EQ(NumberedFileName("VediRo524_Log_", 123, ".txt"), "VediRo524_Log_123.txt");
}

TEST(LocalTimeTest, GeneralDateAndLongTime) {
  EXPECT_EQ(FormatGeneralDate(MakeLocalTime(2026, 12, 7, 17, 1, 9)), "12/7/2026 5:01:09 PM");
  EXPECT_EQ(FormatGeneralDate(MakeLocalTime(2026, 1, 31, 0, 5, 0)), "1/31/2026 12:05:00 AM");
  EXPECT_EQ(FormatLongTime(MakeLocalTime(2026, 1, 31, 12, 0, 59)), "12:00:59 PM");
  EXPECT_EQ(FormatLongTime(MakeLocalTime(2026, 1, 31, 11, 59, 59)), "11:59:59 AM");
}

TEST_F(RecordChannelTest, ProposesTheFirstFreeNumberAndFillsGaps) {
  EXPECT_EQ(Proposal(), docs.File("VediRo524_Log_01.txt"));
  WriteWholeFile(docs.File("VediRo524_Log_01.txt"), "x");
  WriteWholeFile(docs.File("VediRo524_Log_02.txt"), "x");
  EXPECT_EQ(Proposal(), docs.File("VediRo524_Log_03.txt"));
  std::filesystem::remove(docs.File("VediRo524_Log_01.txt"));
  EXPECT_EQ(Proposal(), docs.File("VediRo524_Log_01.txt"));
  EXPECT_EQ(host.titles.back(), "Create Log File");
  EXPECT_EQ(host.filters.back(), "Text Files (*.txt)");
}

TEST_F(RecordChannelTest, TheHundredthFileHasThreeDigits) {
  for (int n = 1; n <= 99; ++n) {
    WriteWholeFile(docs.File(NumberedFileName("VediRo524_Export_", n, ".csv")), "x");
  }
  RecordChannel channel(kChartExportChannel, host, files, title);
  EXPECT_EQ(channel.Open(), "");
  EXPECT_EQ(host.proposals.back(), docs.File("VediRo524_Export_100.csv"));
  EXPECT_EQ(host.titles.back(), "Export CSV File");
  EXPECT_EQ(host.filters.back(), "CSV Files (*.csv)");
}

TEST_F(RecordChannelTest, RemembersTheChosenFolderAndFallsBackWhenItIsGone) {
  TempFolder other;
  const std::string chosen = other.path() + "/sub/mine.txt";
  std::filesystem::create_directories(other.path() + "/sub");
  RecordChannel channel(kConfigExportChannel, host, files, title);
  host.fileAnswers = {chosen};
  ASSERT_EQ(channel.Open(), chosen);
  ASSERT_TRUE(channel.Close());
  EXPECT_EQ(channel.Folder(), other.path() + "/sub");
  EXPECT_EQ(channel.Open(), "");
  EXPECT_EQ(host.proposals.back(), other.path() + "/sub/VediRo524_Config_01.txt");
  std::filesystem::remove_all(other.path() + "/sub");
  EXPECT_EQ(channel.Open(), "");
  EXPECT_EQ(host.proposals.back(), docs.File("VediRo524_Config_01.txt"));
}

TEST_F(RecordChannelTest, NoDocumentsFolderProposesTheRoot) {
  files.documents.reset();
  EXPECT_EQ(Proposal(), "/VediRo524_Log_01.txt");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "The folder does not exist");
}

TEST_F(RecordChannelTest, AddsTheDefaultExtension) {
  RecordChannel channel(kChartExportChannel, host, files, title);
  host.fileAnswers = {docs.File("data")};
  EXPECT_EQ(channel.Open(), docs.File("data.csv"));
  EXPECT_TRUE(channel.Close());
  EXPECT_TRUE(std::filesystem::exists(docs.File("data.csv")));
}

TEST_F(RecordChannelTest, ReplacesAnExistingFileCompletely) {
  const std::string path = docs.File("old.txt");
  WriteWholeFile(path, "old content that is longer than the new\r\n");
  RecordChannel channel(kConfigExportChannel, host, files, title);
  host.fileAnswers = {path};
  ASSERT_EQ(channel.Open(), path);
  EXPECT_EQ(host.pumps, 1);
  EXPECT_TRUE(channel.AddLine("one"));
  EXPECT_TRUE(channel.AddLine("two"));
  EXPECT_TRUE(channel.Close());
  EXPECT_EQ(ReadWholeFile(path), "one\r\ntwo\r\n");
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(RecordChannelTest, AFileHeldElsewhereIsRefusedAndKept) {
  const std::string path = docs.File("held.txt");
  WriteWholeFile(path, "keep me");
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  CommLog log(host, files, time, title);
  host.fileAnswers = {path};
  EXPECT_EQ(log.LogStart(), "");
  ::close(fd);
  EXPECT_FALSE(log.LoggingActive());
  EXPECT_EQ(log.Channel().Folder(), docs.path());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            "The file \"" + path +
                "\" is currently open or in use by another program.\r\n"
                "You must first close this file before you can create the index.");
  EXPECT_EQ(ReadWholeFile(path), "keep me");
}

// Another program that merely has the file open, without any lock, holds it too.
TEST_F(RecordChannelTest, AFileOpenElsewhereWithoutALockIsInUse) {
  const std::string path = docs.File("open.csv");
  WriteWholeFile(path, "keep me");
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  EXPECT_TRUE(files.FileInUse(path));
  ::close(fd);
  EXPECT_FALSE(files.FileInUse(path));
}

// A pipe or a device named as the file is written in place; it is never removed or replaced.
TEST_F(RecordChannelTest, APipeIsWrittenInPlaceNotReplaced) {
  const std::string path = docs.File("pipe");
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  const int reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  RecordChannel channel(kChartExportChannel, host, files, title);
  host.fileAnswers = {path};
  ASSERT_EQ(channel.Open(), path);
  EXPECT_TRUE(channel.AddLine("through"));
  EXPECT_TRUE(channel.Close());
  char bytes[16] = {};
  EXPECT_EQ(::read(reader, bytes, sizeof bytes), 9);
  EXPECT_EQ(std::string(bytes, 9), "through\r\n");
  ::close(reader);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

// The file layer itself empties a file that is already there, and leaves a new one as made.
TEST_F(RecordChannelTest, CreatingAFileEmptiesAnExistingOne) {
  for (const std::string& before : {std::string("older and longer text\r\n"), std::string()}) {
    const std::string path = docs.File("again.txt");
    WriteWholeFile(path, before);
    FileError error;
    auto file = files.real.CreateFile(path, error);
    ASSERT_TRUE(file);
    EXPECT_FALSE(file->Write("new\r\n"));
    EXPECT_FALSE(file->Close());
    EXPECT_EQ(ReadWholeFile(path), "new\r\n");
  }
}

// A write the disk cuts off half-way is taken back: the file never ends mid-line.
TEST_F(RecordChannelTest, AWriteCutOffHalfWayIsTakenBack) {
  const std::string path = docs.File("cut.txt");
  FileError error;
  auto file = files.real.CreateFile(path, error);
  ASSERT_TRUE(file);
  const std::string line(100, 'x');
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 150;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto first = file->Write(line);
  const auto second = file->Write(line);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(first);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->number, EFBIG);
  EXPECT_FALSE(file->Close());
  EXPECT_EQ(ReadWholeFile(path), line);
}

TEST_F(RecordChannelTest, AnOpenChannelHoldsItsFileAgainstAnother) {
  const std::string path = docs.File("shared.csv");
  RecordChannel first(kChartExportChannel, host, files, title);
  RecordChannel second(kChartExportChannel, host, files, title);
  host.fileAnswers = {path, path};
  ASSERT_EQ(first.Open(), path);
  EXPECT_TRUE(first.AddLine("mine"));
  EXPECT_EQ(second.Open(), "");
  EXPECT_TRUE(first.Close());
  EXPECT_EQ(ReadWholeFile(path), "mine\r\n");
  EXPECT_FALSE(files.FileInUse(path));
}

TEST_F(RecordChannelTest, WriteAndOpenFailuresAreThreeLineWarnings) {
  RecordChannel channel(kChartExportChannel, host, files, title);
  EXPECT_FALSE(channel.AddLine("nothing open"));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(
      host.messages[0].text.rfind("AddLineToExportCsv failed due to the following:\r\nError ", 0),
      0u);
  host.fileAnswers = {docs.path() + "/missing/folder/x.csv"};
  EXPECT_EQ(channel.Open(), "");
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[1].text,
            "OpenFileForExportCsv failed due to the following:\r\nError 2:\r\n" +
                std::string(std::strerror(2)));
  files.writesLeft = 1;
  host.fileAnswers = {docs.File("full.csv")};
  ASSERT_EQ(channel.Open(), docs.File("full.csv"));
  EXPECT_TRUE(channel.AddLine("fits"));
  EXPECT_FALSE(channel.AddLine("does not fit"));
  EXPECT_EQ(host.messages.back().text,
            "AddLineToExportCsv failed due to the following:\r\nError 28:\r\nNo space left on "
            "device");
  EXPECT_TRUE(channel.Close());
}

// A symbolic link whose target is missing is refused with a warning naming both, and nothing
// is created at the target; such a link's name is never proposed either.
TEST_F(RecordChannelTest, ADanglingSymbolicLinkIsRefusedAndNothingIsCreated) {
  const std::string target = docs.File("elsewhere.csv");
  const std::string link = docs.File("link.csv");
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  RecordChannel channel(kChartExportChannel, host, files, title);
  host.fileAnswers = {link};
  EXPECT_EQ(channel.Open(), "");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            "OpenFileForExportCsv failed due to the following:\r\nError 2:\r\n" + link +
                " is a symbolic link to " + target +
                ", which does not exist; nothing was created there");
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_TRUE(std::filesystem::is_symlink(link));

  const std::string numbered = docs.File("VediRo524_Log_01.txt");
  ASSERT_EQ(::symlink(target.c_str(), numbered.c_str()), 0);
  EXPECT_EQ(Proposal(), docs.File("VediRo524_Log_02.txt"));
}

TEST_F(RecordChannelTest, CancelLeavesEverythingAsItWas) {
  CommLog log(host, files, time, title);
  EXPECT_EQ(log.LogStart(), "");
  EXPECT_FALSE(log.LoggingActive());
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(std::filesystem::is_empty(docs.path()));
}

TEST_F(RecordChannelTest, CommLogHasMarkersAndOneLinePerTrace) {
  CommLog log(host, files, time, title);
  EXPECT_FALSE(log.LogStop());
  const std::string path = docs.File("VediRo524_Log_01.txt");
  host.fileAnswers = {path};
  ASSERT_EQ(log.LogStart(), path);
  EXPECT_TRUE(log.CommLoggingActive());
  EXPECT_TRUE(log.LogEvent("Sent: 01 02 03 04 05 06 07 08\r\n      09 0A\r\n"));
  time.now += std::chrono::seconds{61};
  EXPECT_TRUE(log.LogStop());
  EXPECT_FALSE(log.LoggingActive());
  EXPECT_FALSE(log.LogStop());
  EXPECT_EQ(ReadWholeFile(path),
            "[Logging Started: 12/7/2026 5:01:09 PM]\r\n"
            "Sent: 01 02 03 04 05 06 07 08      09 0A\r\n"
            "[Logging Stopped: 12/7/2026 5:02:10 PM]\r\n");
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(RecordChannelTest, AFailedLogLineKeepsLogging) {
  CommLog log(host, files, time, title);
  const std::string path = docs.File("log.txt");
  host.fileAnswers = {path};
  files.writesLeft = 2;
  ASSERT_EQ(log.LogStart(), path);
  EXPECT_TRUE(log.LogEvent("Rcvd: 01"));
  EXPECT_FALSE(log.LogEvent("Rcvd: 02"));
  EXPECT_TRUE(log.LoggingActive());
  files.writesLeft = -1;
  EXPECT_TRUE(log.LogEvent("Rcvd: 03"));
  EXPECT_TRUE(log.LogStop());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text.substr(0, 36), "LogEvent failed due to the following");
  EXPECT_EQ(ReadWholeFile(path).find("Rcvd: 02"), std::string::npos);
  EXPECT_NE(ReadWholeFile(path).find("Rcvd: 03\r\n[Logging Stopped"), std::string::npos);
}

TEST_F(RecordChannelTest, ALogWhoseStartMarkerFailsDoesNotStart) {
  CommLog log(host, files, time, title);
  host.fileAnswers = {docs.File("log.txt")};
  files.writesLeft = 0;
  EXPECT_EQ(log.LogStart(), "");
  EXPECT_FALSE(log.LoggingActive());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text.substr(0, 36), "LogStart failed due to the following");
  EXPECT_FALSE(files.FileInUse(docs.File("log.txt")));
}

}  // namespace
}  // namespace qvm::test
