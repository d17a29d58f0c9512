// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "records/local_time.h"
#include "records/record_channel.h"

namespace qvm {

// The communication log: one line per traced transfer between a start and a stop marker. The
// console forwards its view's CommLoggingActive and LogEvent here.
class CommLog {
 public:
  CommLog(Host& host, RecordFileSystem& files, LocalTimeSource& time,
          const std::string& messageTitle);

  // Asks for a file and starts logging; the path, or empty when logging did not start.
  std::string LogStart();
  // Writes one trace line with its CR LF pairs removed; a failure is reported and logging goes
  // on.
  bool LogEvent(const std::string& trace);
  // Writes the stop marker and closes the file; false when no log was open.
  bool LogStop();

  bool LoggingActive() const { return loggingActive_; }
  bool CommLoggingActive() const { return loggingActive_; }
  const RecordChannel& Channel() const { return channel_; }

 private:
  RecordChannel channel_;
  LocalTimeSource& time_;
  bool loggingActive_ = false;
};

}  // namespace qvm
