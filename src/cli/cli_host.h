#pragma once

#include <iosfwd>

#include "core/host.h"
#include "protocol/fault_recorder.h"
#include "protocol/polling_timer.h"
#include "protocol/protocol_view.h"

namespace qvm::cli {

// Host of the command line: messages go to the error stream, prompts are answered without
// asking (Retry/Cancel and Yes/No with No, file choices cancelled), since qvmctl runs unattended.
class CliHost final : public Host {
 public:
  explicit CliHost(std::ostream& err) : err_(err) {}

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
  std::ostream& err_;
};

// The console's activity log, printed line by line while `printLog` is set; the hex logs only
// when asked for.
class CliView final : public ProtocolView {
 public:
  CliView(std::ostream& out, bool showFrames) : out_(out), showFrames_(showFrames) {}

  bool printLog = true;

  void AppendLog(const std::string& text) override;
  bool ShowActivityLogs() override { return showFrames_; }
  void AppendHexLog(int devType, const std::string& text) override;

 private:
  std::ostream& out_;
  bool showFrames_;
};

// Communication errors and new device faults, reported on the error stream.
class CliFaultRecorder final : public FaultRecorder {
 public:
  explicit CliFaultRecorder(std::ostream& err) : err_(err) {}

  void RecordCrc4Error() override;
  void RecordNackResponse(const std::string& traceSent, const std::string& traceReceived) override;
  void RecordUnrecognizedResponse() override;
  void RecordPipeComError() override;
  void RecordFaultStatus(const std::string& faultText) override;

 private:
  std::ostream& err_;
};

// qvmctl does not poll: the polling timer is a pair of flags that stay off.
class IdlePollingTimer final : public PollingTimer {
 public:
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool PollingTicked() const override { return false; }
  void UntickPolling() override {}

 private:
  bool enabled_ = false;
};

}  // namespace qvm::cli
