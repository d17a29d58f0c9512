// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/frame_trace.h"
#include "protocol/board_init.h"
#include "protocol/register_access.h"
#include "protocol/session.h"
#include "protocol_fakes.h"
#include "records/comm_log.h"
#include "records_fixture.h"
#include "sim/chain/simulated_evb.h"

namespace qvm::test {
namespace {

// The console's part: the trace asks the comm log whether to log and hands it each frame; the
// hex log texts are kept to compare with the file.
class CommLogView final : public ProtocolView {
 public:
  explicit CommLogView(CommLog& log) : log_(log) {}
  bool CommLoggingActive() override { return log_.CommLoggingActive(); }
  void LogEvent(const std::string& line) override { log_.LogEvent(line); }
  void AppendHexLog(int, const std::string& text) override {
    if (log_.CommLoggingActive()) traces.push_back(text);
  }

  std::vector<std::string> traces;

 private:
  CommLog& log_;
};

std::vector<std::string> FileLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, at - start));
    start = at + 2;
  }
  return lines;
}

TEST(CommLogSessionTest, TracedTransfersOnTheSimulatedBoardLandInTheLog) {
  VirtualClock clock;
  HookedHost host;
  FixedLocalTime time;
  TempFolder docs;
  TestFileSystem files;
  files.documents = docs.path();
  std::string title = "Board";
  CommLog log(host, files, time, title);
  CommLogView view(log);
  CountingPollingTimer timer;
  RecordingFaultRecorder faults;
  std::string error;
  auto evb = sim::MakeSimulatedEvb("daisy:52400x2", clock, error);
  ASSERT_TRUE(evb) << error;
  Session session(*evb->bus, host, clock, view, faults, timer);
  InitializeDriver(session);
  session.ChainModeSetting = kModeDaisyChain;
  InitializeEvb(session);
  ASSERT_TRUE(view.traces.empty());

  const std::string path = docs.File("VediRo524_Log_01.txt");
  host.fileAnswers = {path};
  ASSERT_EQ(log.LogStart(), path);
  DeviceCommand command;
  command.dev = 2;
  command.cat = 2;
  command.adr = 4;
  ReadSingleReg(session, command);
  ASSERT_TRUE(log.LogStop());
  // Nothing after the stop marker.
  ReadSingleReg(session, command);

  const std::vector<std::string> lines = FileLines(ReadWholeFile(path));
  ASSERT_GE(view.traces.size(), 2u);
  ASSERT_EQ(lines.size(), view.traces.size() + 2);
  EXPECT_EQ(lines.front(), "[Logging Started: 12/7/2026 5:01:09 PM]");
  EXPECT_EQ(lines.back(), "[Logging Stopped: 12/7/2026 5:01:09 PM]");
  for (std::size_t i = 0; i < view.traces.size(); ++i) {
    EXPECT_EQ(lines[i + 1], ReplaceLineBreaks(view.traces[i], "")) << i;
  }
  EXPECT_EQ(lines[1].rfind("Sent: ", 0), 0u);
  EXPECT_EQ(lines.back().find('\n'), std::string::npos);
  bool received = false;
  for (const std::string& line : lines) received = received || line.rfind("Rcvd: ", 0) == 0;
  EXPECT_TRUE(received);
  EXPECT_TRUE(faults.entries.empty());
}

}  // namespace
}  // namespace qvm::test
