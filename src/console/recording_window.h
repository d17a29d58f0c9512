// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "console/frm_charting.h"
#include "records/recording_chart.h"

namespace qvm {

// The chart window on a recording read from a file: its samples in a store of their own,
// drawn with every tool of the chart window, while the live chart goes on untouched.
class RecordingWindow {
 public:
  // Reads the recording at `path`; nullptr, with `error` set, when it holds none.
  static std::unique_ptr<RecordingWindow> Open(Session& session, RecordChannel& exportChannel,
                                               const std::string& path, std::string& error);

  FrmCharting& Window() { return *window_; }
  // "R.csv: started 5:01:09 PM, 2.50 min, 300 samples", and what was left out.
  const std::string& Summary() const { return summary_; }

 private:
  RecordingWindow() = default;

  std::unique_ptr<RecordingChart> chart_;
  std::unique_ptr<FrmCharting> window_;
  std::string summary_;
};

}  // namespace qvm
