// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "core/host.h"

namespace qvm {

// A host that answers every prompt with Cancel or No and shows nothing: for runs with nobody to
// ask (benchmarks, fuzzing).
class QuietHost final : public Host {
 public:
  void PumpEvents() override {}
  void ShowMessage(const std::string&, const std::string&) override {}
  bool AskRetryCancel(const std::string&, const std::string&) override { return false; }
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  std::optional<std::string> AskSaveFileName(const std::string&, const std::string&,
                                             const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> AskOpenFileName(const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

}  // namespace qvm
