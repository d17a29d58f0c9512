// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/file_commands.h"
#include "run_qvmctl.h"

namespace qvm::cli {
namespace {

class QvmctlReconnectTest : public ::testing::Test {
 protected:
  QvmctlReconnectTest()
      : folder(std::filesystem::temp_directory_path() /
               ("qvmctl-reconnect-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    std::filesystem::create_directories(folder);
  }
  ~QvmctlReconnectTest() override { std::filesystem::remove_all(folder); }

  std::string Path(const char* name) const { return (folder / name).string(); }

  static std::vector<std::string> Lines(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }

  std::filesystem::path folder;
};

// The board is pulled out at exchange 21, the first of the sixth tick (identification takes
// five: Identify 0, 2 and 3, the read that confirms the top device, the close), and (with a
// replug time) comes back that many milliseconds later; all on virtual time.
TEST_F(QvmctlReconnectTest, PollGoesOnAcrossAnUnplugOnlyWithReconnect) {
  struct Case {
    const char* faults;
    int reconnectSeconds;
    int status;
    const char* ticksLine;
    const char* reason;
  };
  const std::vector<Case> cases{
      // All ticks ran, but the lost exchange was recorded.
      {"unplug@21,replug=2500", 5, kPollCommunicationErrors, "8 ticks, 8 chart samples\n",
       "the board is back"},
      {"unplug@21,replug=2500", 0, 1, "5 ticks, 5 chart samples\n",
       "the board was lost after 5 of 8 ticks: simulated board unplugged"},
      {"unplug@21,replug=9000", 3, 1, "5 ticks, 5 chart samples\n",
       "the board did not come back within 3 s"},
      {"unplug@21", 2, 1, "5 ticks, 5 chart samples\n", "did not come back"},
  };
  for (const Case& c : cases) {
    DeviceOptions device;
    device.simChain = "daisy:52400x3";
    device.simFaults = c.faults;
    device.virtualTime = true;
    device.verbose = false;
    PollOptions poll;
    poll.ticks = 8;
    poll.intervalMs = 100;
    poll.reads = {"volts"};
    poll.reconnectSeconds = c.reconnectSeconds;
    poll.logPath = Path("comm.txt");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunPoll(device, poll, out, err), c.status) << c.faults << err.str();
    EXPECT_EQ(LastLine(out.str()), c.ticksLine) << c.faults;
    EXPECT_NE(err.str().find(c.reason), std::string::npos) << err.str();

    // Every line traced before the unplug is in the log, and the log is closed properly.
    const auto lines = Lines(poll.logPath);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front().rfind("[Logging Started: ", 0), 0u);
    EXPECT_EQ(lines.back().rfind("[Logging Stopped: ", 0), 0u);
    // Each tick reads 3 devices, one frame out and one in each.
    const std::size_t ticksLogged = c.status == kPollCommunicationErrors ? 8 : 5;
    EXPECT_GE(lines.size(), 2 + 6 * ticksLogged) << c.faults;
  }
}

TEST_F(QvmctlReconnectTest, SigtermEndsPollCleanlyWithTheLogClosed) {
  const std::string log = Path("signal.txt");
  const std::string command = std::string("exec ") + QVM_BIN_DIR +
                              "/qvmctl --sim daisy:52400x3 poll 100000 --interval 20 --read volts "
                              "--log " +
                              log + " > /dev/null 2> " + Path("err.txt");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Wait until polling has traced a few frames, then ask it to stop.
  for (int i = 0; i < 200 && Lines(log).size() < 20; ++i) ::usleep(20000);
  ::kill(child, SIGTERM);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM);
  const auto lines = Lines(log);
  ASSERT_GE(lines.size(), 20u);
  EXPECT_EQ(lines.back().rfind("[Logging Stopped: ", 0), 0u);
  std::ifstream err(Path("err.txt"));
  std::stringstream errText;
  errText << err.rdbuf();
  EXPECT_NE(errText.str().find("poll stopped by signal 15"), std::string::npos) << errText.str();
}

}  // namespace
}  // namespace qvm::cli
