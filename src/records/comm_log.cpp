// SPDX-License-Identifier: MIT
#include "records/comm_log.h"

namespace qvm {

namespace {

std::string WithoutLineBreaks(const std::string& text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
    } else {
      line += text[i];
    }
  }
  return line;
}

}  // namespace

CommLog::CommLog(Host& host, RecordFileSystem& files, LocalTimeSource& time,
                 const std::string& messageTitle)
    : channel_(kCommLogChannel, host, files, messageTitle), time_(time) {}

std::string CommLog::LogStart() {
  if (loggingActive_) LogStop();
  const std::string path = channel_.Open();
  if (path.empty()) return {};
  // A log whose start marker cannot be written is not started.
  if (!channel_.WriteLine(kCommLogChannel.openProcedure,
                          "[Logging Started: " + FormatGeneralDate(time_.Now()) + "]")) {
    channel_.Close();
    return {};
  }
  loggingActive_ = true;
  return path;
}

bool CommLog::LogEvent(const std::string& trace) {
  return channel_.AddLine(WithoutLineBreaks(trace));
}

bool CommLog::LogStop() {
  if (!loggingActive_) return false;
  channel_.WriteLine(kCommLogChannel.closeProcedure,
                     "[Logging Stopped: " + FormatGeneralDate(time_.Now()) + "]");
  loggingActive_ = false;
  channel_.Close();
  // The log is stopped even when the marker or the close failed; the warning said so.
  return true;
}

}  // namespace qvm
