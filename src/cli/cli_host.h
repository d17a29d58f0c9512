#pragma once

#include <iosfwd>

#include "core/console_view.h"
#include "core/host.h"

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

// The console's activity log, printed line by line; the hex logs only when asked for.
class CliView final : public ConsoleView {
 public:
  CliView(std::ostream& out, bool showFrames) : out_(out), showFrames_(showFrames) {}

  void AppendLog(const std::string& text) override;
  bool ShowActivityLogs() override { return showFrames_; }
  void AppendHexLog(int devType, const std::string& text) override;

 private:
  std::ostream& out_;
  bool showFrames_;
};

}  // namespace qvm::cli
