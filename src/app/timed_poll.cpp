// SPDX-License-Identifier: MIT
#include "app/timed_poll.h"

#include <QAction>
#include <QCheckBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <iomanip>
#include <iostream>

#include "config/poll_options.h"

namespace qvm {

namespace {
constexpr double kMsPerMinute = 60000.0;
}  // namespace

bool StartTimedPoll(GenericVbDiag& console, QtHost& host, const QtHost::AnswerHook& answers,
                    const TimedPoll& poll) {
  if (const auto reason = console.NotConnectedReason()) {
    std::cerr << "qvm-console: --poll: not connected: " << *reason << '\n';
    return false;
  }
  if (poll.intervalMs > 0) {
    console.tbPollingInterval->setText(QString::number(poll.intervalMs));
    console.tbPollingInterval_Change();
  }
  const bool record = !poll.csvFile.isEmpty();
  console.mnuRecordCsv->setChecked(record);
  if (record) {
    const std::string file = poll.csvFile.toStdString();
    host.SetAnswerHook([&answers, file](const QtHost::Prompt& prompt) {
      if (prompt.kind == QtHost::PromptKind::SaveFile) return QtHost::Answer{true, file};
      return answers ? answers(prompt) : QtHost::Answer{};
    });
  }
  FrmPollOptions& options = console.pollOptions();
  options.SetBoxes(QuickSetupBoxes(options.Boxes()));
  options.findChild<QPushButton*>("OKButton")->click();
  host.SetAnswerHook(answers);
  if (!console.chkEnablePolling->isChecked()) {
    std::cerr << "qvm-console: --poll: polling did not start\n";
    return false;
  }
  if (record && !console.records().csvRecording.Recording()) {
    std::cerr << "qvm-console: --record-csv: " << poll.csvFile.toStdString()
              << " could not be written\n";
    console.chkEnablePolling->setChecked(false);
    return false;
  }
  return true;
}

bool StopTimedPoll(GenericVbDiag& console, const TimedPoll& poll) {
  const bool ranThrough = console.chkEnablePolling->isChecked();
  ChartCsvRecorder& recording = console.records().csvRecording;
  const bool recorded = !recording.Recording() || recording.Stop();
  console.chkEnablePolling->setChecked(false);
  const ChartStore& chart = console.records().chart;
  const int samples = chart.ChartSampleIndex();
  std::cerr << "qvm-console: polled " << samples << " samples";
  if (samples > 1) {
    const double minutes = chart.ElapsedMinutes(samples - 1) - chart.ElapsedMinutes(0);
    std::cerr << ", one every " << std::fixed << std::setprecision(1)
              << minutes * kMsPerMinute / (samples - 1) << " ms";
  }
  if (!poll.csvFile.isEmpty()) {
    std::cerr << "; " << recording.RowsWritten() << " recorded to " << poll.csvFile.toStdString()
              << (recorded ? "" : ", the file is not complete");
  }
  std::cerr << '\n';
  if (!ranThrough) {
    const std::string problem = console.session().bridge.LinkProblem();
    std::cerr << "qvm-console: --poll: polling stopped before " << poll.seconds << " s"
              << (problem.empty() ? std::string() : ": " + problem) << '\n';
  }
  return ranThrough && recorded;
}

bool RunTimedPoll(GenericVbDiag& console, QtHost& host, const QtHost::AnswerHook& answers,
                  const TimedPoll& poll) {
  if (!StartTimedPoll(console, host, answers, poll)) return false;
  QEventLoop wait;
  QTimer::singleShot(poll.seconds * 1000, &wait, &QEventLoop::quit);
  const auto connection =
      QObject::connect(console.chkEnablePolling, &QCheckBox::toggled, &wait, [&wait](bool on) {
        if (!on) wait.quit();
      });
  wait.exec();
  QObject::disconnect(connection);
  return StopTimedPoll(console, poll);
}

}  // namespace qvm
