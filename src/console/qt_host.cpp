// SPDX-License-Identifier: MIT
#include "console/qt_host.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace qvm {

namespace {
QString Q(const std::string& text) {
  return QString::fromStdString(text);
}
}  // namespace

void QtHost::SetPumpInterval(Clock& clock, std::int64_t intervalMs) {
  pumpClock_ = &clock;
  pumpIntervalMs_ = intervalMs;
  lastPumpMs_.reset();
  lastPaintMs_.reset();
  if (!hold_) hold_ = std::make_unique<DisplayHold>();
}

void QtHost::PumpEvents() {
  QCoreApplication::processEvents();
  if (pumpClock_ == nullptr) return;
  lastPumpMs_ = pumpClock_->NowMs();
  lastPaintMs_ = lastPumpMs_;
}

bool QtHost::PumpDueWithin(std::int64_t ms) {
  return pumpClock_ == nullptr || !lastPumpMs_ ||
         pumpClock_->NowMs() + ms - *lastPumpMs_ >= pumpIntervalMs_;
}

bool QtHost::PaintDueWithin(std::int64_t ms) {
  return pumpClock_ == nullptr || !lastPaintMs_ ||
         pumpClock_->NowMs() + ms - *lastPaintMs_ >= kConsolePaintIntervalMs;
}

void QtHost::PumpEventsIfDue() {
  if (!PumpDueWithin(0)) return;
  // A click or key in the previous pump is shown now; otherwise the display waits.
  if (!hold_ || hold_->TakeInputSeen() || PaintDueWithin(0)) {
    PumpEvents();
    return;
  }
  hold_->PumpHeld();
  lastPumpMs_ = pumpClock_->NowMs();
}

void QtHost::WaitMs(Clock& clock, std::int64_t ms) {
  // Without a pump interval every point pumps and paints anyway. Otherwise the display work of
  // the paint that falls due during this wait is done in it, leaving that pump little to paint.
  if (pumpClock_ == nullptr || !PaintDueWithin(ms)) {
    clock.SleepMs(ms);
    return;
  }
  const std::int64_t start = clock.NowUs();
  RefreshDisplay();
  lastPaintMs_ = pumpClock_->NowMs();
  const std::int64_t left = ms * 1000 - (clock.NowUs() - start);
  if (left > 0) clock.SleepUs(left);
}

void QtHost::ShowMessage(const std::string& title, const std::string& text) {
  if (hook_) {
    hook_({PromptKind::Message, title, text});
    return;
  }
  QMessageBox::information(QApplication::activeWindow(), Q(title), Q(text));
}

bool QtHost::AskRetryCancel(const std::string& title, const std::string& text) {
  if (hook_) return hook_({PromptKind::RetryCancel, title, text}).accept;
  return QMessageBox::warning(QApplication::activeWindow(), Q(title), Q(text),
                              QMessageBox::Retry | QMessageBox::Cancel) == QMessageBox::Retry;
}

bool QtHost::AskYesNo(const std::string& title, const std::string& text) {
  if (hook_) return hook_({PromptKind::YesNo, title, text}).accept;
  return QMessageBox::question(QApplication::activeWindow(), Q(title), Q(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::string> QtHost::AskSaveFileName(const std::string& title,
                                                   const std::string& filter,
                                                   const std::string& suggested) {
  if (hook_) return hook_({PromptKind::SaveFile, title, suggested}).fileName;
  const QString name =
      QFileDialog::getSaveFileName(QApplication::activeWindow(), Q(title), Q(suggested), Q(filter));
  if (name.isEmpty()) return std::nullopt;
  return name.toStdString();
}

std::optional<std::string> QtHost::AskOpenFileName(const std::string& title,
                                                   const std::string& filter) {
  return AskOpenFileNameIn(title, filter, "");
}

std::optional<std::string> QtHost::AskOpenFileNameIn(const std::string& title,
                                                     const std::string& filter,
                                                     const std::string& folder) {
  if (hook_) return hook_({PromptKind::OpenFile, title, filter}).fileName;
  const QString name =
      QFileDialog::getOpenFileName(QApplication::activeWindow(), Q(title), Q(folder), Q(filter));
  if (name.isEmpty()) return std::nullopt;
  return name.toStdString();
}

}  // namespace qvm
