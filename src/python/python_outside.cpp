// SPDX-License-Identifier: MIT
#include "python/python_outside.h"

#include "link/frame_trace.h"

namespace qvm::python {

namespace {
std::string OneLine(const std::string& text) {
  return ReplaceLineBreaks(text, " ");
}
}  // namespace

void ScriptHost::ShowMessage(const std::string& title, const std::string& text) {
  (void)title;
  trouble_.lines.push_back(OneLine(text));
}

bool ScriptHost::AskRetryCancel(const std::string& title, const std::string& text) {
  ShowMessage(title, text);
  return false;
}

bool ScriptHost::AskYesNo(const std::string& title, const std::string& text) {
  ShowMessage(title, text);
  return false;
}

void ScriptView::AppendLog(const std::string& text) {
  partial_ += text;
  for (auto end = partial_.find("\r\n"); end != std::string::npos; end = partial_.find("\r\n")) {
    lines_.push_back(partial_.substr(0, end));
    partial_.erase(0, end + 2);
    if (lines_.size() > kKeptLines) lines_.pop_front();
  }
}

void ScriptFaultRecorder::Record(std::uint16_t bit, const std::string& line) {
  trouble_.comErrors |= bit;
  trouble_.lines.push_back(line);
}

void ScriptFaultRecorder::RecordCrc4Error() {
  Record(kComErrCrc4, "CRC4 error");
}

void ScriptFaultRecorder::RecordNackResponse(const std::string& traceSent,
                                             const std::string& traceReceived) {
  Record(kComErrNack, "NACK response (" + traceSent + "/ " + traceReceived + ")");
}

void ScriptFaultRecorder::RecordUnrecognizedResponse() {
  Record(kComErrBadResponse, "unrecognized response");
}

void ScriptFaultRecorder::RecordNoAcknowledge(const std::string& devices) {
  Record(kComErrNoAck, "no reply from " + devices);
}

void ScriptFaultRecorder::RecordPipeComError() {
  Record(kComErrPipe, "pipe communication error");
}

void ScriptFaultRecorder::RecordFaultStatus(const std::string& faultText) {
  faults_.push_back(faultText);
}

std::vector<std::string> ScriptFaultRecorder::TakeFaults() {
  std::vector<std::string> taken;
  taken.swap(faults_);
  return taken;
}

}  // namespace qvm::python
