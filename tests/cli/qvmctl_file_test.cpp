// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run_qvmctl.h"

namespace qvm::cli {
namespace {

class QvmctlFileTest : public ::testing::Test {
 protected:
  QvmctlFileTest()
      : folder(std::filesystem::temp_directory_path() /
               ("qvmctl-files-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    std::filesystem::create_directories(folder);
  }
  ~QvmctlFileTest() override { std::filesystem::remove_all(folder); }

  std::string Path(const char* name) const { return (folder / name).string(); }

  static std::string Read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  static void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }

  static std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
      ++count;
    }
    return count;
  }

  std::filesystem::path folder;
};

TEST_F(QvmctlFileTest, SavedConfigurationLoadsBackLineForLine) {
  const std::string path = Path("chain.txt");
  const CliRun save = Qvmctl({"--sim", "daisy:52400x2", "save-config", path});
  ASSERT_EQ(save.status, 0) << save.err;
  EXPECT_EQ(save.out, "saved " + path + "\n");
  const std::string text = Read(path);
  // The limits come from the devices, which the save reads first.
  EXPECT_NE(text.find("wrt,QVM52400,dev0x02,cat0x0A,adr0x10,dat0x1AE1\r\n"), std::string::npos);
  const CliRun load = Qvmctl({"--sim", "daisy:52400x2", "load-config", path});
  ASSERT_EQ(load.status, 0) << load.err;
  std::size_t labels = 0;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line != "\r" && line.rfind("wrt,", 0) != 0) ++labels;
  }
  EXPECT_EQ(load.out, std::to_string(Count(text, "\nwrt,")) + " register writes, " +
                          std::to_string(labels) + " lines skipped (" + std::to_string(labels) +
                          " not register lines)\n");
}

// A write line that cannot be sent as it stands refuses the file at its line; nothing is sent.
TEST_F(QvmctlFileTest, LoadConfigRefusesAWriteLineThatDoesNotFitNamingFileAndLine) {
  const std::string path = Path("bad.txt");
  WriteText(path,
            "wrt,QVM52400,dev0x01,cat0x0A,adr0x10,dat0x1234\r\n"
            "wrt,QVM52400,dev0x02,cat0x0A,adr0x10,dat0x7FFF\r\n");
  const CliRun load = Qvmctl({"--sim", "daisy:52400x2", "load-config", "-v", path});
  EXPECT_EQ(load.status, 1);
  EXPECT_EQ(load.err, "qvmctl: " + path +
                          ":2: dat0x7FFF: the data must be 0x0000 to 0x3FFF; nothing of the file "
                          "was written\n");
  EXPECT_EQ(load.out.find("wrt,"), std::string::npos) << load.out;
}

TEST_F(QvmctlFileTest, MissingConfigurationIsReported) {
  const CliRun load = Qvmctl({"--sim", "daisy:52400x2", "load-config", Path("none.txt")});
  EXPECT_EQ(load.status, 1);
  EXPECT_NE(load.err.find("cannot read"), std::string::npos);
}

// Whatever is not a configuration file is refused at once with its reason, never waited on.
TEST_F(QvmctlFileTest, LoadConfigRefusesWhatIsNoConfiguration) {
  WriteText(Path("empty.txt"), "");
  WriteText(Path("binary.txt"), std::string("\x7F"
                                            "ELF\x02\x01\x00\xFF\r\n",
                                            11));
  WriteText(Path("utf16.txt"), std::string("\xFF\xFEw\0r\0t\0,\0Q\0\r\0\n\0", 16));
  WriteText(Path("nothing.txt"), "wrt,QVM52400,dev0x01,cat0x09,adr0x00,dat0x1234\r\n");
  WriteText(Path("absent.txt"), "wrt,QVM52400,dev0x09,cat0x0A,adr0x10,dat0x1234\r\n");
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {
      {folder.string(), "is not a plain file"},
      {"/dev/zero", "is not a plain file"},
      {Path("fifo"), "is not a plain file"},
      {Path("empty.txt"), "holds no usable lines"},
      {Path("binary.txt"), "holds no usable lines"},
      {Path("utf16.txt"), "holds no usable lines"},
      {Path("nothing.txt"), "nothing was applied"},
      {Path("absent.txt"), "1 of 1 register writes were not acknowledged"},
  };
  for (const auto& c : cases) {
    const CliRun load = Qvmctl({"--sim", "daisy:52400x2", "load-config", c.path});
    EXPECT_EQ(load.status, 1) << c.path;
    EXPECT_NE(load.err.find(c.reason), std::string::npos) << c.path << ": " << load.err;
  }
}

TEST_F(QvmctlFileTest, PollChecksItsCsvDestinationBeforePolling) {
  for (const std::string& csv : {Path("missing/samples.csv"), folder.string()}) {
    const CliRun poll = Qvmctl({"--sim", "daisy:52400x2", "poll", "3", "--interval", "0", "--read",
                                "volts", "--csv", csv});
    EXPECT_EQ(poll.status, 1) << csv;
    EXPECT_EQ(poll.out, "") << csv;
    EXPECT_NE(poll.err.find("qvmctl: cannot write the CSV file " + csv), std::string::npos)
        << poll.err;
  }
}

// A symbolic link whose target is missing is refused before the board is touched, and nothing
// is created at the target.
TEST_F(QvmctlFileTest, NoFileIsCreatedThroughADanglingSymbolicLink) {
  const std::string target = Path("elsewhere.txt");
  const std::string link = Path("link.txt");
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  const struct {
    std::vector<std::string> args;
    std::string what;
  } cases[] = {
      {{"save-config", link}, "configuration file"},
      {{"poll", "1", "--read", "volts", "--csv", link}, "CSV file"},
      {{"poll", "1", "--read", "volts", "--log", link}, "communication log"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"--sim", "daisy:52400x2"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliRun run = Qvmctl(args);
    EXPECT_EQ(run.status, 1) << c.what;
    EXPECT_EQ(run.out, "") << c.what;
    EXPECT_EQ(run.err, "qvmctl: cannot write the " + c.what + " " + link +
                           ": it is a symbolic link to " + target + ", which does not exist\n");
    EXPECT_FALSE(std::filesystem::exists(target)) << c.what;
  }
}

// A full disk under the log or the CSV is a failure, however far the run got.
TEST_F(QvmctlFileTest, PollOnAFullDiskFails) {
  for (const char* option : {"--log", "--csv"}) {
    const CliRun poll = Qvmctl({"--sim", "daisy:52400x2", "poll", "2", "--interval", "0", "--read",
                                "volts", option, "/dev/full"});
    EXPECT_EQ(poll.status, 1) << option;
    EXPECT_NE(poll.err.find("No space left on device"), std::string::npos) << poll.err;
  }
}

TEST_F(QvmctlFileTest, PollFeedsTheChartsAndWritesTheCsvAndTheLog) {
  const std::string csv = Path("samples.csv");
  const std::string log = Path("frames.txt");
  const CliRun poll = Qvmctl({"--sim", "daisy:52400x2", "poll", "3", "--interval", "0", "--scan",
                              "all", "--read", "volts", "--csv", csv, "--log", log});
  ASSERT_EQ(poll.status, 0) << poll.err;
  EXPECT_EQ(LastLine(poll.out), "3 ticks, 3 chart samples\n");
  const std::string rows = Read(csv);
  EXPECT_EQ(Count(rows, "\r\n"), 4u) << rows;
  EXPECT_EQ(rows.rfind("TimeStamp,", 0), 0u);
  const std::string frames = Read(log);
  EXPECT_EQ(frames.rfind("[Logging Started: ", 0), 0u);
  EXPECT_GT(Count(frames, "\r\nSent: "), 6u);
  EXPECT_NE(frames.find("[Logging Stopped: "), std::string::npos);
}

TEST_F(QvmctlFileTest, PollRejectsAnUnknownAction) {
  const CliRun poll = Qvmctl({"--sim", "daisy:52400x2", "poll", "2", "--read", "pressure"});
  EXPECT_EQ(poll.status, 2);
  EXPECT_NE(poll.err.find("--read takes faults, setups, temps, volts, not 'pressure'"),
            std::string::npos);
}

}  // namespace
}  // namespace qvm::cli
