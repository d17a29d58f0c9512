// SPDX-License-Identifier: MIT
#include "operations/poll_run.h"

#include <algorithm>

namespace qvm {

PollRun::PollRun(Session& session, RecordFileSystem& files, LocalTimeSource& time, int intervalMs,
                 char decimalSeparator)
    : session_(session),
      logHost_(session.host),
      csvHost_(session.host),
      csvChannel_(kChartExportChannel, csvHost_, files, session.bridge.MessageTitle),
      log_(logHost_, files, time, session.bridge.MessageTitle),
      chart_(session.model, session.image, session.state, session.clock, time),
      csv_(chart_, csvChannel_, decimalSeparator),
      intervalMs_(std::max(intervalMs, 0)) {
  chart_.Initialize(true, true);
  paint_.addToCharts = [this](std::uint16_t comErrors) {
    chart_.AddNewVoltageDataToChartArray(comErrors);
    ++samples_;
    if (csv_.Recording() && !csv_.AddLatestSample()) csvOk_ = false;
  };
}

PollRun::~PollRun() {
  Finish();
}

bool PollRun::Start(const PollRunFiles& files) {
  files_ = files;
  if (!files.logPath.empty()) {
    logHost_.SetAnswer(files.logPath);
    if (log_.LogStart().empty()) return false;
  }
  if (!files.csvPath.empty()) {
    csvHost_.SetAnswer(files.csvPath);
    if (!csv_.Start()) {
      log_.LogStop();
      return false;
    }
  }
  finished_ = false;
  csvOk_ = true;
  session_.polling.SetEnabled(true);
  return true;
}

bool PollRun::PollingOn() const {
  return session_.polling.Enabled() && session_.polling.PollingTicked();
}

bool PollRun::WaitForTick(const std::function<bool()>& interrupted, std::int64_t sliceMs) {
  if (ticks_ == 0) return !(interrupted && interrupted());
  const std::int64_t due = lastTickMs_ + intervalMs_;
  while (true) {
    if (interrupted && interrupted()) return false;
    const std::int64_t left = due - session_.clock.NowMs();
    if (left <= 0) return true;
    session_.clock.SleepMs(std::min(left, std::max<std::int64_t>(sliceMs, 1)));
  }
}

bool PollRun::Tick() {
  lastTickMs_ = session_.clock.NowMs();
  lastTick_.emplace(session_);
  PollingTick(session_, paint_);
  lastTick_->Close();
  ++ticks_;
  return PollingOn();
}

bool PollRun::Finish() {
  if (finished_) return true;
  finished_ = true;
  session_.polling.SetEnabled(false);
  log_.LogStop();
  const bool csvClosed = files_.csvPath.empty() || csv_.Stop();
  return csvOk_ && csvClosed;
}

}  // namespace qvm
