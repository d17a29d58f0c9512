// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/clock.h"
#include "core/host.h"
#include "ui/display_refresh.h"

namespace qvm {

// Least time between two pumps at the frequent points of the console's transfers: a pump
// repaints the windows, so once per exchange would cost more than the exchange's own wait.
inline constexpr std::int64_t kConsolePumpIntervalMs = 12;

// Longest time the pumps at the frequent points keep the display work back: an operation (a
// polling tick) paints at its end, a longer one at least this often.
inline constexpr std::int64_t kConsolePaintIntervalMs = 250;

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

  // Pumps at the frequent points (PumpEventsIfDue) run only once `intervalMs` of `clock` have
  // passed since the last pump ended, and paint only every kConsolePaintIntervalMs or after a
  // click or key; all other pumps always run and paint.
  void SetPumpInterval(Clock& clock, std::int64_t intervalMs);

  void PumpEvents() override;
  void PumpEventsIfDue() override;
  // When a paint falls due by its end, the wait brings the display up to date first and sleeps
  // the rest.
  void WaitMs(Clock& clock, std::int64_t ms) override;
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
  // True when a pump at a frequent point would run `ms` from now.
  bool PumpDueWithin(std::int64_t ms);
  // True when a pump at a frequent point would paint `ms` from now.
  bool PaintDueWithin(std::int64_t ms);

  AnswerHook hook_;
  Clock* pumpClock_ = nullptr;
  std::int64_t pumpIntervalMs_ = 0;
  std::optional<std::int64_t> lastPumpMs_;
  std::optional<std::int64_t> lastPaintMs_;
  std::unique_ptr<DisplayHold> hold_;
};

}  // namespace qvm
