#pragma once
#include <functional>
#include <optional>
#include <string>

#include "core/host.h"

namespace qvm {

// Host of the desktop program: Qt message boxes and file dialogs, and the event loop for pumps.
// An answer hook, when set, answers the prompts instead of the dialogs (tests, scripted runs).
class QtHost : public Host {
 public:
  enum class PromptKind { Message, RetryCancel, YesNo, SaveFile, OpenFile };
  struct Prompt {
    PromptKind kind;
    std::string title;
    std::string text;
  };
  // Returns true for Retry/Yes; for file prompts the hook's `fileName` is used.
  struct Answer {
    bool accept = false;
    std::optional<std::string> fileName;
  };
  using AnswerHook = std::function<Answer(const Prompt&)>;

  void SetAnswerHook(AnswerHook hook) { hook_ = std::move(hook); }

  void PumpEvents() override;
  void ShowMessage(const std::string& title, const std::string& text) override;
  bool AskRetryCancel(const std::string& title, const std::string& text) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;
  std::optional<std::string> AskSaveFileName(const std::string& title, const std::string& filter,
                                             const std::string& suggested) override;
  std::optional<std::string> AskOpenFileName(const std::string& title,
                                             const std::string& filter) override;
  std::optional<std::string> AskOpenFileNameIn(const std::string& title, const std::string& filter,
                                               const std::string& folder) override;

 private:
  AnswerHook hook_;
};

}  // namespace qvm
