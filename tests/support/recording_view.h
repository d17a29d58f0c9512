// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/console_view.h"

namespace qvm::test {

// A ConsoleView that keeps everything the core painted.
class RecordingView : public ConsoleView {
 public:
  void AppendLog(const std::string& text) override { log += text; }
  void ClearLog() override { log.clear(); }
  bool ShowActivityLogs() override { return showActivityLogs; }
  void AppendHexLog(int devType, const std::string& text) override { hexLog[devType] += text; }
  bool TraceActive() override { return traceActive; }
  bool TraceDetailed() override { return traceDetailed; }
  void AppendTrace(const std::string& text) override { trace += text; }
  bool CommLoggingActive() override { return commLogging; }
  void LogEvent(const std::string& line) override { commLog.push_back(line); }
  void ShowExchange(const ExchangeDisplay& display) override { exchanges.push_back(display); }
  void RefillBoardList(int boardCount) override { boardLists.push_back(boardCount); }
  void MarkAttachmentLost() override { ++attachmentLost; }
  void UnloadBenchWindow() override { ++benchUnloads; }
  void SetLed(Led led, Colour colour) override { leds[led] = colour; }
  void StopPolling() override { ++pollingStops; }
  bool PollingRunning() override { return pollingRunning; }

  bool showActivityLogs = true;
  bool traceActive = false;
  bool traceDetailed = false;
  bool commLogging = false;
  bool pollingRunning = false;

  std::string log;
  std::map<int, std::string> hexLog;
  std::string trace;
  std::vector<std::string> commLog;
  std::vector<ExchangeDisplay> exchanges;
  std::vector<int> boardLists;
  std::map<Led, Colour> leds;
  int attachmentLost = 0;
  int benchUnloads = 0;
  int pollingStops = 0;
};

}  // namespace qvm::test
