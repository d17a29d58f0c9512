// SPDX-License-Identifier: MIT
#include "records/fault_log.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "chart_fixture.h"
#include "scripted_host.h"

namespace qvm::test {
namespace {

int LineCount(const std::string& text) {
  int lines = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos;
       at = text.find("\r\n", at + 2)) {
    ++lines;
  }
  return lines;
}

class FaultLogTest : public ::testing::Test {
 protected:
  FaultLogTest()
      : recorder(comErrors, faultStatus, bench->time, host, title, [this] { return pauseOnNack; }) {
  }

  std::unique_ptr<ChartBench> bench = std::make_unique<ChartBench>();
  TextFaultLogWindow comErrors;
  TextFaultLogWindow faultStatus;
  ScriptedHost host;
  std::string title = "Board";
  bool pauseOnNack = false;
  WindowFaultRecorder recorder;
};

TEST_F(FaultLogTest, LinesAreTimeStampedExactly) {
  recorder.RecordCrc4Error();
  recorder.RecordUnrecognizedResponse();
  recorder.RecordPipeComError();
  recorder.RecordNackResponse("Sent: 01 02 ", "Rcvd: 03 04 ");
  recorder.RecordNoAcknowledge("QVM52400 device 2");
  recorder.RecordFaultStatus("QVM52400 device 1 OV Fault");
  EXPECT_EQ(comErrors.Text(),
            "12/7/2026 5:01:09 PM    CRC4 Error \r\n"
            "12/7/2026 5:01:09 PM    Unrecognized Response \r\n"
            "12/7/2026 5:01:09 PM    Pipe Communication Error\r\n"
            "12/7/2026 5:01:09 PM    NACK Response Sent: 01 02  Rcvd: 03 04  \r\n"
            "12/7/2026 5:01:09 PM    No Acknowledge QVM52400 device 2 \r\n");
  EXPECT_EQ(faultStatus.Text(), "12/7/2026 5:01:09 PM    QVM52400 device 1 OV Fault\r\n");
  EXPECT_EQ(comErrors.shows, 5);
  EXPECT_EQ(faultStatus.shows, 1);
  EXPECT_EQ(recorder.ComErrorLineCount(), 5);
  EXPECT_EQ(recorder.FaultLogLineCount(), 1);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(FaultLogTest, TheTwoHundredFiftyFirstLineEmptiesTheWindow) {
  for (int n = 0; n < 250; ++n) recorder.RecordCrc4Error();
  EXPECT_EQ(LineCount(comErrors.Text()), 250);
  EXPECT_EQ(recorder.ComErrorLineCount(), 250);
  recorder.RecordPipeComError();
  EXPECT_EQ(LineCount(comErrors.Text()), 1);
  EXPECT_EQ(recorder.ComErrorLineCount(), 0);
  EXPECT_NE(comErrors.Text().find("Pipe Communication Error"), std::string::npos);
  // From then on the window holds 251 lines before it is emptied again.
  for (int n = 0; n < 250; ++n) recorder.RecordCrc4Error();
  EXPECT_EQ(LineCount(comErrors.Text()), 251);
  recorder.RecordCrc4Error();
  EXPECT_EQ(LineCount(comErrors.Text()), 1);
}

TEST_F(FaultLogTest, ClearTextKeepsTheCount) {
  for (int n = 0; n < 100; ++n) recorder.RecordFaultStatus("f");
  faultStatus.Clear();
  for (int n = 0; n < 150; ++n) recorder.RecordFaultStatus("f");
  EXPECT_EQ(LineCount(faultStatus.Text()), 150);
  recorder.RecordFaultStatus("g");
  EXPECT_EQ(LineCount(faultStatus.Text()), 1);
  EXPECT_EQ(recorder.ComErrorLineCount(), 0);
  EXPECT_TRUE(comErrors.Text().empty());
}

TEST_F(FaultLogTest, ResetStartsTheComErrorCountAgain) {
  for (int n = 0; n < 200; ++n) recorder.RecordCrc4Error();
  recorder.ResetComErrorLineCount();
  for (int n = 0; n < 60; ++n) recorder.RecordCrc4Error();
  EXPECT_EQ(LineCount(comErrors.Text()), 260);
}

TEST_F(FaultLogTest, PauseOnNackShowsTheWholeWindow) {
  recorder.RecordNackResponse("a", "b");
  EXPECT_TRUE(host.messages.empty());
  pauseOnNack = true;
  recorder.RecordCrc4Error();
  EXPECT_TRUE(host.messages.empty());
  recorder.RecordNackResponse("c", "d");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, comErrors.Text());
  EXPECT_EQ(LineCount(host.messages[0].text), 3);
}

TEST(FaultLogCaptionTest, CaptionsNameThePrimaryPart) {
  EXPECT_EQ(ComErrorsCaption("QVM38817"), "QVM38817 Communication Errors");
  EXPECT_EQ(FaultStatusLogCaption("QVM52400"), "QVM52400 Fault Status Log");
}

}  // namespace
}  // namespace qvm::test
