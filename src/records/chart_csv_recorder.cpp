// SPDX-License-Identifier: MIT
#include "records/chart_csv_recorder.h"

#include "records/chart_export.h"

namespace qvm {

ChartCsvRecorder::ChartCsvRecorder(const ChartStore& store, RecordChannel& channel,
                                   char decimalSeparator)
    : store_(store), channel_(channel), decimalSeparator_(decimalSeparator) {}

bool ChartCsvRecorder::Start() {
  rows_ = 0;
  failed_ = false;
  if (channel_.Open().empty()) return false;
  devices_ = ChartExportDeviceCount(store_.State());
  if (!channel_.AddLine(ChartExportHeader(devices_))) {
    channel_.Close();
    return false;
  }
  return true;
}

bool ChartCsvRecorder::AddLatestSample() {
  if (!Recording() || !store_.ChartStarted() || store_.ChartSampleIndex() == 0) return false;
  const int sample = store_.ChartSampleIndex() - 1;
  if (!channel_.AddLine(ChartExportRow(store_, sample, devices_, decimalSeparator_))) {
    failed_ = true;
    return false;
  }
  ++rows_;
  return true;
}

bool ChartCsvRecorder::Stop() {
  if (!Recording()) return false;
  return channel_.Close() && !failed_;
}

}  // namespace qvm
