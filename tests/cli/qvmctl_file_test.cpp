#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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
  EXPECT_EQ(load.out, std::to_string(Count(text, "\nwrt,")) + " register writes\n");
}

TEST_F(QvmctlFileTest, MissingConfigurationIsReported) {
  const CliRun load = Qvmctl({"--sim", "daisy:52400x2", "load-config", Path("none.txt")});
  EXPECT_EQ(load.status, 1);
  EXPECT_NE(load.err.find("cannot read"), std::string::npos);
}

TEST_F(QvmctlFileTest, PollFeedsTheChartsAndWritesTheCsvAndTheLog) {
  const std::string csv = Path("samples.csv");
  const std::string log = Path("frames.txt");
  const CliRun poll = Qvmctl({"--sim", "daisy:52400x2", "poll", "3", "--interval", "0", "--scan",
                              "all", "--read", "volts", "--csv", csv, "--log", log});
  ASSERT_EQ(poll.status, 0) << poll.err;
  EXPECT_EQ(poll.out, "3 ticks, 3 chart samples\n");
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
