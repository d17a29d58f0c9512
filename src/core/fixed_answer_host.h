// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>

#include "core/host.h"

namespace qvm {

// A host that answers every file prompt with one path chosen beforehand and passes everything
// else on: how a program without dialogs hands a file name to a record channel.
class FixedAnswerHost final : public Host {
 public:
  explicit FixedAnswerHost(Host& inner) : inner_(inner) {}

  void SetAnswer(std::string path) { path_ = std::move(path); }

  void PumpEvents() override { inner_.PumpEvents(); }
  void ShowMessage(const std::string& title, const std::string& text) override {
    inner_.ShowMessage(title, text);
  }
  bool AskRetryCancel(const std::string& title, const std::string& text) override {
    return inner_.AskRetryCancel(title, text);
  }
  bool AskYesNo(const std::string& title, const std::string& text) override {
    return inner_.AskYesNo(title, text);
  }
  std::optional<std::string> AskSaveFileName(const std::string&, const std::string&,
                                             const std::string&) override {
    return path_;
  }
  std::optional<std::string> AskOpenFileName(const std::string&, const std::string&) override {
    return path_;
  }

 private:
  Host& inner_;
  std::string path_;
};

}  // namespace qvm
