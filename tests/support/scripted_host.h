// SPDX-License-Identifier: MIT
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/host.h"

namespace qvm::test {

// A Host whose prompts are answered from a script and whose messages are recorded.
class ScriptedHost : public Host {
 public:
  struct Prompt {
    std::string title;
    std::string text;
  };

  void PumpEvents() override { ++pumps; }
  void ShowMessage(const std::string& title, const std::string& text) override;
  bool AskRetryCancel(const std::string& title, const std::string& text) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;
  std::optional<std::string> AskSaveFileName(const std::string& title, const std::string& filter,
                                             const std::string& suggested) override;
  std::optional<std::string> AskOpenFileName(const std::string& title,
                                             const std::string& filter) override;
  std::optional<std::string> AskOpenFileNameIn(const std::string& title, const std::string& filter,
                                               const std::string& folder) override {
    openFolders.push_back(folder);
    return AskOpenFileName(title, filter);
  }

  // Answers given in turn; when the script runs dry, Retry/Cancel answers Cancel, Yes/No answers
  // No and file prompts are cancelled.
  std::deque<bool> retryAnswers;
  std::deque<bool> yesNoAnswers;
  std::deque<std::string> fileAnswers;

  std::vector<Prompt> messages;
  std::vector<Prompt> retryPrompts;
  std::vector<Prompt> yesNoPrompts;
  // The folders open-file prompts started in.
  std::vector<std::string> openFolders;
  int pumps = 0;
};

}  // namespace qvm::test
