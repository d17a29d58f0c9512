// SPDX-License-Identifier: MIT
#include "records/fault_log.h"

#include <utility>

namespace qvm {

WindowFaultRecorder::WindowFaultRecorder(FaultLogWindow& comErrors, FaultLogWindow& faultStatus,
                                         LocalTimeSource& time, Host& host,
                                         const std::string& messageTitle,
                                         std::function<bool()> pauseOnNack)
    : comErrors_(comErrors),
      faultStatus_(faultStatus),
      time_(time),
      host_(host),
      messageTitle_(messageTitle),
      pauseOnNack_(std::move(pauseOnNack)) {}

void WindowFaultRecorder::Append(FaultLogWindow& window, int& lineCount, const std::string& line) {
  if (++lineCount > kFaultLogMaxLines) {
    lineCount = 0;
    window.Clear();
  }
  window.ShowAndAppend(FormatGeneralDate(time_.Now()) + line + "\r\n");
}

void WindowFaultRecorder::RecordComError(const std::string& line) {
  Append(comErrors_, comErrorLines_, line);
}

void WindowFaultRecorder::RecordCrc4Error() {
  RecordComError("    CRC4 Error ");
}

void WindowFaultRecorder::RecordNackResponse(const std::string& traceSent,
                                             const std::string& traceReceived) {
  RecordComError("    NACK Response " + traceSent + " " + traceReceived + " ");
  if (pauseOnNack_ && pauseOnNack_()) host_.ShowMessage(messageTitle_, comErrors_.Text());
}

void WindowFaultRecorder::RecordUnrecognizedResponse() {
  RecordComError("    Unrecognized Response ");
}

void WindowFaultRecorder::RecordNoAcknowledge(const std::string& devices) {
  RecordComError("    No Acknowledge " + devices + " ");
}

void WindowFaultRecorder::RecordPipeComError() {
  RecordComError("    Pipe Communication Error");
}

void WindowFaultRecorder::RecordFaultStatus(const std::string& faultText) {
  Append(faultStatus_, faultLogLines_, "    " + faultText);
}

}  // namespace qvm
