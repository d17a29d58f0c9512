// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/clock.h"

namespace qvm {

// What the core asks of the program around it: keep the user interface alive and talk to the
// user. The desktop program answers with real dialogs, the tests with scripted answers and
// qvmctl from its options.
class Host {
 public:
  virtual ~Host() = default;

  // Let pending timers and user actions run.
  virtual void PumpEvents() = 0;
  // The same at a point that comes round every few milliseconds (each packet exchange); a host
  // whose pumps are costly may skip it while events ran only just before.
  virtual void PumpEventsIfDue() { PumpEvents(); }
  // Waits `ms` on `clock`. A host with a display may bring it up to date meanwhile (the text
  // and paint it has pending); no user action or timer runs, so nothing can start a transfer
  // while one waits for its reply.
  virtual void WaitMs(Clock& clock, std::int64_t ms) { clock.SleepMs(ms); }
  // A message box with an OK button only.
  virtual void ShowMessage(const std::string& title, const std::string& text) = 0;
  // A Retry/Cancel prompt; true means Retry.
  virtual bool AskRetryCancel(const std::string& title, const std::string& text) = 0;
  // A Yes/No question; true means Yes.
  virtual bool AskYesNo(const std::string& title, const std::string& text) = 0;
  // File choice; nothing when the user cancels.
  virtual std::optional<std::string> AskSaveFileName(const std::string& title,
                                                     const std::string& filter,
                                                     const std::string& suggested) = 0;
  virtual std::optional<std::string> AskOpenFileName(const std::string& title,
                                                     const std::string& filter) = 0;
  // The same, starting in `folder` where the host can choose one.
  virtual std::optional<std::string> AskOpenFileNameIn(const std::string& title,
                                                       const std::string& filter,
                                                       const std::string& folder) {
    (void)folder;
    return AskOpenFileName(title, filter);
  }
};

}  // namespace qvm
