// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <string>

#include "core/host.h"
#include "protocol/fault_recorder.h"
#include "protocol/polling_timer.h"
#include "protocol/protocol_view.h"
#include "records/comm_log.h"

namespace qvm::cli {

// Host of the command line: messages go to the error stream, prompts are answered without
// asking (Retry/Cancel and Yes/No with No, file choices with `fileAnswer`, cancelled when it is
// empty), since qvmctl runs unattended.
class CliHost final : public Host {
 public:
  explicit CliHost(std::ostream& err) : err_(err) {}
  ~CliHost() override;
  CliHost(const CliHost&) = delete;
  CliHost& operator=(const CliHost&) = delete;

  void PumpEvents() override {}
  void ShowMessage(const std::string& title, const std::string& text) override;
  bool AskRetryCancel(const std::string& title, const std::string& text) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;
  std::optional<std::string> AskSaveFileName(const std::string&, const std::string&,
                                             const std::string&) override {
    return fileAnswer;
  }
  std::optional<std::string> AskOpenFileName(const std::string&, const std::string&) override {
    return fileAnswer;
  }

  // The file every file prompt is answered with; nothing cancels.
  std::optional<std::string> fileAnswer;

 private:
  // Says how often the last message came again since it was printed, naming its first line.
  void FlushRepeats();

  std::ostream& err_;
  // A message that comes again and again (a full disk under every log line) is printed once.
  std::string lastMessage_;
  int repeats_ = 0;
};

// The console's activity log, printed line by line to `log` while `printLog` is set; the hex
// logs to `frames` only when asked for. Standard output carries the commands' results, so both
// go to the error stream unless the log is the result itself.
class CliView final : public ProtocolView {
 public:
  CliView(std::ostream& log, std::ostream& frames, bool showFrames)
      : log_(log), frames_(frames), showFrames_(showFrames) {}

  bool printLog = true;

  void AppendLog(const std::string& text) override;
  bool ShowActivityLogs() override { return showFrames_; }
  void AppendHexLog(int devType, const std::string& text) override;
  bool CommLoggingActive() override { return commLog && commLog->CommLoggingActive(); }
  void LogEvent(const std::string& line) override {
    if (commLog) commLog->LogEvent(line);
  }

  // A lost link ends polling ("Polling Terminated").
  void StopPolling() override;
  bool PollingRunning() override { return polling != nullptr && polling->ticked; }

  // The communication log every traced frame goes to while it is open.
  CommLog* commLog = nullptr;
  // The polling that a lost link stops.
  FlagPollingTimer* polling = nullptr;

 private:
  std::ostream& log_;
  std::ostream& frames_;
  bool showFrames_;
};

// Communication errors and new device faults, reported on the error stream.
class CliFaultRecorder final : public FaultRecorder {
 public:
  explicit CliFaultRecorder(std::ostream& err) : err_(err) {}

  void RecordCrc4Error() override;
  void RecordNackResponse(const std::string& traceSent, const std::string& traceReceived) override;
  void RecordUnrecognizedResponse() override;
  void RecordNoAcknowledge(const std::string& devices) override;
  void RecordPipeComError() override;
  void RecordFaultStatus(const std::string& faultText) override;

  // Communication errors recorded so far.
  int ComErrorCount() const { return comErrors_; }

 private:
  void ComError(const std::string& text);

  std::ostream& err_;
  int comErrors_ = 0;
};

}  // namespace qvm::cli
