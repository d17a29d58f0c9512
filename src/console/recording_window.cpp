// SPDX-License-Identifier: MIT
#include "console/recording_window.h"

#include <filesystem>
#include <fstream>

#include "model/value_format.h"

namespace qvm {

namespace {

std::string RecordingSummary(const std::string& path, const Recording& recording) {
  const std::size_t samples = recording.Samples();
  std::string summary = std::filesystem::path(path).filename().string() + ": started " +
                        recording.times.front() + ", " +
                        FormatFixed(recording.minutes.back() - recording.minutes.front(), 2, '.') +
                        " min, " + std::to_string(samples) + " samples";
  if (samples < recording.rowsInFile) {
    summary += "; the last " + std::to_string(samples) + " of " +
               std::to_string(recording.rowsInFile) + " rows, as many as the chart holds";
  }
  if (!recording.stoppedAt.empty()) summary += "; reading stopped at " + recording.stoppedAt;
  return summary;
}

}  // namespace

std::unique_ptr<RecordingWindow> RecordingWindow::Open(Session& session,
                                                       RecordChannel& exportChannel,
                                                       const std::string& path,
                                                       std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + " cannot be opened";
    return nullptr;
  }
  Recording recording;
  if (!ReadRecording(in, kChartFullIndex, recording, error)) {
    error = path + ": " + error;
    return nullptr;
  }
  std::unique_ptr<RecordingWindow> opened(new RecordingWindow);
  opened->summary_ = RecordingSummary(path, recording);
  opened->chart_ = std::make_unique<RecordingChart>(session.model, session.state.Tint25, recording);
  opened->window_ = std::make_unique<FrmCharting>(session, opened->chart_->Store(), exportChannel);
  FrmCharting& window = *opened->window_;
  window.setObjectName("frmRecording");
  window.setWindowTitle(QString::fromStdString("Recording " + opened->summary_));
  window.ShowStartingTime(FormatLongTime(opened->chart_->Store().ChartStartTime()));
  // The whole recording in view, as "Auto Fit" gives it.
  window.cmdChartAutoZoom->click();
  return opened;
}

}  // namespace qvm
