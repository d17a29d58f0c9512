// SPDX-License-Identifier: MIT
#include "operations/poll_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "operations/board_connection.h"
#include "operations/named_actions.h"
#include "protocol_fakes.h"
#include "records/local_file_system.h"

namespace qvm::test {
namespace {

// Forwards the trace to the communication log of the run, as the programs' views do.
class LogForwardingView final : public ProtocolView {
 public:
  bool CommLoggingActive() override { return log != nullptr && log->CommLoggingActive(); }
  void LogEvent(const std::string& line) override {
    if (log != nullptr) log->LogEvent(line);
  }
  CommLog* log = nullptr;
};

class PollRunTest : public ::testing::Test {
 protected:
  PollRunTest()
      : folder(std::filesystem::temp_directory_path() /
               ("poll-run-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    std::filesystem::create_directories(folder);
    ConnectOptions options;
    options.simChain = "daisy:52400x2";
    options.virtualTime = true;
    options.dataFolder = QVM_DATA_DIR;
    std::string error;
    EXPECT_TRUE(connection.Connect(options, error)) << error;
    EXPECT_EQ(connection.DeviceCount(), 2);
    EXPECT_TRUE(SelectPolledActions({}, {"volts"}, connection.session().state, error));
    timer.ticked = true;
  }
  ~PollRunTest() override { std::filesystem::remove_all(folder); }

  std::unique_ptr<PollRun> MakeRun(int intervalMs) {
    auto run = std::make_unique<PollRun>(connection.session(), files, time, intervalMs);
    view.log = &run->Log();
    return run;
  }

  std::string Path(const char* name) const { return (folder / name).string(); }

  // The lines of a record file, each of which must end in CR LF.
  static std::vector<std::string> Lines(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    const std::string all = text.str();
    EXPECT_TRUE(all.size() >= 2 && all.substr(all.size() - 2) == "\r\n");
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = all.find("\r\n", at)) != std::string::npos; at = end + 2) {
      lines.push_back(all.substr(at, end - at));
    }
    return lines;
  }

  static void ExpectCompleteRows(const std::vector<std::string>& rows) {
    const auto fields = std::count(rows[0].begin(), rows[0].end(), ',');
    for (const std::string& row : rows) {
      ASSERT_EQ(std::count(row.begin(), row.end(), ','), fields) << row;
    }
  }

  std::filesystem::path folder;
  ScriptedHost host;
  LogForwardingView view;
  RecordingFaultRecorder faults;
  CountingPollingTimer timer;
  LocalFileSystem files;
  SystemLocalTime time;
  BoardConnection connection{SessionOutside{host, view, faults, timer}};
};

TEST_F(PollRunTest, RunLongerThanTheStoreStreamsEveryRow) {
  auto run = MakeRun(500);
  ASSERT_TRUE(run->Start({Path("long.csv"), ""}));
  constexpr int kTicks = 60000;
  while (run->Ticks() < kTicks && run->WaitForTick({})) run->Tick();
  EXPECT_TRUE(run->Finish());
  EXPECT_EQ(run->Samples(), kTicks);
  EXPECT_LT(run->Chart().ChartSampleIndex(), kChartCapacity);
  const std::vector<std::string> rows = Lines(Path("long.csv"));
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kTicks) + 1);
  EXPECT_EQ(rows[0].rfind("TimeStamp,Elapsed(min),ComErrors,VCell1-1,", 0), 0u);
  ExpectCompleteRows(rows);
  // The first sample is kept although the store dropped it long ago; the last is 59999 periods
  // of 500 ms later.
  EXPECT_NE(rows[1].find(",0.00,,"), std::string::npos) << rows[1];
  EXPECT_NE(rows.back().find(",499.99,,"), std::string::npos) << rows.back();
}

TEST_F(PollRunTest, StoppedRunLeavesCompleteRecordsAndTheStopMarker) {
  auto run = MakeRun(100);
  ASSERT_TRUE(run->Start({Path("stopped.csv"), Path("stopped.txt")}));
  while (run->WaitForTick([&] { return run->Ticks() == 5; })) run->Tick();
  EXPECT_TRUE(run->Finish());
  EXPECT_FALSE(run->PollingOn());
  const std::vector<std::string> rows = Lines(Path("stopped.csv"));
  ASSERT_EQ(rows.size(), 6u);
  ExpectCompleteRows(rows);
  const std::vector<std::string> log = Lines(Path("stopped.txt"));
  EXPECT_EQ(log.front().rfind("[Logging Started: ", 0), 0u);
  EXPECT_EQ(log.back().rfind("[Logging Stopped: ", 0), 0u);
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& line) { return line.rfind("Sent:", 0) == 0; }),
            5 * 2);
}

TEST_F(PollRunTest, TicksStartOneIntervalApartOrBackToBack) {
  for (const int interval : {250, 1}) {
    auto run = MakeRun(interval);
    ASSERT_TRUE(run->Start({}));
    std::vector<std::int64_t> starts;
    for (int tick = 0; tick < 4 && run->WaitForTick({}); ++tick) {
      starts.push_back(connection.clock().NowMs());
      run->Tick();
    }
    run->Finish();
    ASSERT_EQ(starts.size(), 4u);
    for (std::size_t i = 1; i < starts.size(); ++i) {
      const std::int64_t period = starts[i] - starts[i - 1];
      // A tick longer than the interval is followed at once by the next.
      if (interval == 250) {
        EXPECT_EQ(period, 250);
      } else {
        EXPECT_GT(period, 1);
      }
    }
  }
}

TEST_F(PollRunTest, RefusedFileStartsNothing) {
  auto run = MakeRun(100);
  EXPECT_FALSE(run->Start({Path("missing/x.csv"), Path("refused.txt")}));
  EXPECT_FALSE(host.messages.empty());
  EXPECT_FALSE(run->Log().LoggingActive());
  EXPECT_EQ(Lines(Path("refused.txt")).back().rfind("[Logging Stopped: ", 0), 0u);
  EXPECT_FALSE(timer.enabled);
}

}  // namespace
}  // namespace qvm::test
