// SPDX-License-Identifier: MIT
#pragma once

#include "records/chart_store.h"
#include "records/record_channel.h"

namespace qvm {

// The chart export written while the samples are taken: the header when recording starts,
// then the row of every sample as soon as the store holds it, each line handed to the file at
// once. A run longer than the store's capacity keeps all its rows, and an interrupted run
// leaves a file of complete rows.
class ChartCsvRecorder {
 public:
  ChartCsvRecorder(const ChartStore& store, RecordChannel& channel, char decimalSeparator);

  // Opens the file through the channel and writes the header for the devices in the chain
  // now. False when no file was opened or the header could not be written.
  bool Start();
  // Writes the row of the sample the store stored last. False when not recording or the line
  // was not written (the channel has warned).
  bool AddLatestSample();
  // Closes the file; true when every line was written and the file closed.
  bool Stop();

  bool Recording() const { return channel_.IsOpen(); }
  int RowsWritten() const { return rows_; }

 private:
  const ChartStore& store_;
  RecordChannel& channel_;
  char decimalSeparator_;
  int devices_ = 0;
  int rows_ = 0;
  bool failed_ = false;
};

}  // namespace qvm
