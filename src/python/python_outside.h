// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/host.h"
#include "protocol/fault_recorder.h"
#include "protocol/polling_timer.h"
#include "protocol/protocol_view.h"
#include "records/chart_store.h"
#include "records/comm_log.h"

namespace qvm::python {

// What went wrong since the last Reset: the communication errors as chart flags, the link's
// loss, and every message and error line in the order they came, for the exception's text.
struct Trouble {
  std::uint16_t comErrors = 0;
  bool linkLost = false;
  std::vector<std::string> lines;
};

// Prompts are answered without asking (Retry/Cancel and Yes/No with No): a script runs
// unattended. Messages become lines of the trouble record.
class ScriptHost final : public Host {
 public:
  explicit ScriptHost(Trouble& trouble) : trouble_(trouble) {}
  void PumpEvents() override {}
  void ShowMessage(const std::string& title, const std::string& text) override;
  bool AskRetryCancel(const std::string& title, const std::string& text) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;
  std::optional<std::string> AskSaveFileName(const std::string&, const std::string&,
                                             const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> AskOpenFileName(const std::string&, const std::string&) override {
    return std::nullopt;
  }

 private:
  Trouble& trouble_;
};

// The activity log kept as its last lines; the link's loss noted; the trace forwarded to the
// communication log of a running poll.
class ScriptView final : public ProtocolView {
 public:
  explicit ScriptView(Trouble& trouble) : trouble_(trouble) {}

  void AppendLog(const std::string& text) override;
  bool ShowActivityLogs() override { return false; }
  bool CommLoggingActive() override { return commLog && commLog->CommLoggingActive(); }
  void LogEvent(const std::string& line) override {
    if (commLog) commLog->LogEvent(line);
  }
  void MarkAttachmentLost() override { trouble_.linkLost = true; }
  void StopPolling() override { trouble_.linkLost = true; }
  bool PollingRunning() override { return polling != nullptr && polling->ticked; }

  // The activity log's last lines, oldest first.
  std::vector<std::string> Lines() const { return {lines_.begin(), lines_.end()}; }

  CommLog* commLog = nullptr;
  // The polling of a running poll, which a lost link terminates.
  const FlagPollingTimer* polling = nullptr;

 private:
  static constexpr std::size_t kKeptLines = 2000;
  Trouble& trouble_;
  std::string partial_;
  std::deque<std::string> lines_;
};

// Communication errors as flags and lines of the trouble record.
class ScriptFaultRecorder final : public FaultRecorder {
 public:
  explicit ScriptFaultRecorder(Trouble& trouble) : trouble_(trouble) {}

  void RecordCrc4Error() override;
  void RecordNackResponse(const std::string& traceSent, const std::string& traceReceived) override;
  void RecordUnrecognizedResponse() override;
  void RecordNoAcknowledge(const std::string& devices) override;
  void RecordPipeComError() override;
  void RecordFaultStatus(const std::string& faultText) override;

  // Newly raised device faults since the last call.
  std::vector<std::string> TakeFaults();

 private:
  void Record(std::uint16_t bit, const std::string& line);

  Trouble& trouble_;
  std::vector<std::string> faults_;
};

}  // namespace qvm::python
