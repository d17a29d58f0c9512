// SPDX-License-Identifier: MIT
// Polling, its options, the traffic log and the CSV recording.
#include <QSignalBlocker>
#include <algorithm>

#include "console/generic_vb_diag.h"
#include "core/error_trap.h"
#include "mqtt/tick_publishing.h"

namespace qvm {

PollingView GenericVbDiag::MakePollingView() {
  PollingView paint;
  paint.setPollingLed = [this](Colour colour) { ledPolling->SetColour(colour); };
  paint.clearLogs = [this] {
    txtLog->clear();
    for (LogView* log : hexLogs) log->clear();
  };
  paint.upr = commandPanel->UprView();
  paint.addToCharts = [this](std::uint16_t comErrors) { AddVoltagesToCharts(comErrors); };
  paint.clearFaults = commandPanel->ClearFaultsPaint();
  paint.tickRead = [this](const Acquisition& read) { publishing_->Tick(*session_, read); };
  return paint;
}

void GenericVbDiag::chkEnablePolling_Click(bool checked) {
  if (!checked) {
    Timer2.stop();
    ledPolling->SetColour(Colour::Grey);
    StopCsvRecording();
    publishing_->PollingStopped();
    return;
  }
  if (mnuRecordCsv->isChecked()) StartCsvRecording();
  publishing_->PollingStarted(*session_, PublishedBoardName());
  const PollOptionBoxes boxes = pollOptions_->Boxes();
  StartPolling(*session_, boxes.upr, boxes.autoStart, MakePollingView());
}

void GenericVbDiag::Timer2_Timer() {
  if (session_->state.PollingTickRunning) return;
  polling_->TickStarted();
  PollingTick(*session_, MakePollingView());
  polling_->TickEnded();
}

void GenericVbDiag::tbPollingInterval_Change() {
  const std::optional<int> interval = PollingIntervalMs(tbPollingInterval->text().toStdString());
  if (!interval) {
    deps_.host.ShowMessage(session_->bridge.MessageTitle,
                           ErrorTrapMessage("tbPollingInterval_Change", kErrOverflow, "Overflow"));
    return;
  }
  polling_->SetInterval(*interval);
}

void GenericVbDiag::cmdLogToFile_Click() {
  CommLog& log = records_->commLog;
  if (log.LoggingActive()) {
    if (log.LogStop()) cmdLogToFile->setText("Start Data Logging");
  } else if (!log.LogStart().empty()) {
    cmdLogToFile->setText("Stop Data Logging");
  }
}

std::string GenericVbDiag::PublishedBoardName() {
  const int board = std::max(session_->bridge.SelectedBoard(), 0);
  return BoardName(deps_.bus, session_->bridge.VendorId, std::to_string(board));
}

bool GenericVbDiag::CommLoggingActive() {
  return records_->commLog.CommLoggingActive();
}

void GenericVbDiag::LogEvent(const std::string& line) {
  records_->commLog.LogEvent(line);
}

void GenericVbDiag::AddVoltagesToCharts(std::uint16_t comErrors) {
  ChartCsvRecorder& recording = records_->csvRecording;
  if (!mnuUpdateChart->isChecked() && !recording.Recording()) return;
  records_->chart.AddNewVoltageDataToChartArray(comErrors);
  if (recording.Recording()) recording.AddLatestSample();
}

void GenericVbDiag::StartCsvRecording() {
  if (records_->csvRecording.Recording()) return;
  if (!records_->csvRecording.Start()) {
    // No file: the choice is cleared, so the menu never claims a recording that is not made.
    const QSignalBlocker blocker(mnuRecordCsv);
    mnuRecordCsv->setChecked(false);
  }
}

void GenericVbDiag::StopCsvRecording() {
  if (records_->csvRecording.Recording()) records_->csvRecording.Stop();
}

void GenericVbDiag::cmdShowChart_Click() {
  chartWindow_->show();
  chartWindow_->raise();
  chartWindow_->activateWindow();
}

void GenericVbDiag::cmdPollingSetup_Click() {
  pollOptions_->open();
}

void GenericVbDiag::OnPollOptionsAccepted(bool any, bool autoStart) {
  commandPanel->ledUPRStatus[0]->SetColour(Colour::Grey);
  ledPolling->SetColour(Colour::Grey);
  const bool connected = session_->bridge.EvbConnected;
  // Ticking the box starts polling, which runs the start sequence itself; run it here only when
  // polling was on already, so it runs once.
  const bool startsPolling = any && connected && !chkEnablePolling->isChecked();
  if (any && connected) chkEnablePolling->setChecked(true);
  if (connected && autoStart && !startsPolling) RunAutoStartSequence(*session_, MakePollingView());
  session_->state.PollOptionsChanged = true;
}

void GenericVbDiag::StopPolling() {
  chkEnablePolling->setChecked(false);
  Timer2.stop();
  ledPolling->SetColour(Colour::Grey);
}

bool GenericVbDiag::PollingRunning() {
  return chkEnablePolling->isChecked();
}

}  // namespace qvm
