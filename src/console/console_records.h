// SPDX-License-Identifier: MIT
#pragma once
#include <QWidget>

#include "console/frm_fault_log.h"
#include "protocol/session.h"
#include "records/chart_csv_recorder.h"
#include "records/chart_store.h"
#include "records/comm_log.h"
#include "records/fault_log.h"
#include "records/local_file_system.h"
#include "records/local_time.h"
#include "records/record_channel.h"

namespace qvm {

// What the console records beside the devices: the communication log, the chart store with
// its export channel and its CSV recording while polling, the configuration export channel and
// the two fault windows with their recorder.
class ConsoleRecords {
 public:
  // `windowParent` owns the fault windows.
  ConsoleRecords(Session& session, QWidget* windowParent);
  ConsoleRecords(const ConsoleRecords&) = delete;
  ConsoleRecords& operator=(const ConsoleRecords&) = delete;

  LocalFileSystem files;
  SystemLocalTime time;
  CommLog commLog;
  ChartStore chart;
  RecordChannel chartExport;
  RecordChannel configExport;
  RecordChannel chartRecording;
  ChartCsvRecorder csvRecording;
  FrmFaultLog* comErrors;
  FrmFaultLog* faultStatus;
  // "Pause on Nack" of the bench window.
  bool pauseOnNack = false;
  WindowFaultRecorder faults;
};

}  // namespace qvm
