// SPDX-License-Identifier: MIT
#include "scripted_host.h"

namespace qvm::test {

namespace {
template <typename T>
std::optional<T> Next(std::deque<T>& queue) {
  if (queue.empty()) return std::nullopt;
  T value = queue.front();
  queue.pop_front();
  return value;
}
}  // namespace

void ScriptedHost::ShowMessage(const std::string& title, const std::string& text) {
  messages.push_back({title, text});
}

bool ScriptedHost::AskRetryCancel(const std::string& title, const std::string& text) {
  retryPrompts.push_back({title, text});
  return Next(retryAnswers).value_or(false);
}

bool ScriptedHost::AskYesNo(const std::string& title, const std::string& text) {
  yesNoPrompts.push_back({title, text});
  return Next(yesNoAnswers).value_or(false);
}

std::optional<std::string> ScriptedHost::AskSaveFileName(const std::string&, const std::string&,
                                                         const std::string&) {
  return Next(fileAnswers);
}

std::optional<std::string> ScriptedHost::AskOpenFileName(const std::string&, const std::string&) {
  return Next(fileAnswers);
}

}  // namespace qvm::test
