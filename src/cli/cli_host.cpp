// SPDX-License-Identifier: MIT
#include "cli/cli_host.h"

#include <ostream>

#include "link/frame_trace.h"

namespace qvm::cli {

namespace {
// Texts of the core carry CR LF line ends; a terminal wants plain LF.
std::string TerminalText(const std::string& text) {
  return ReplaceLineBreaks(text, "\n");
}
}  // namespace

CliHost::~CliHost() {
  FlushRepeats();
}

void CliHost::FlushRepeats() {
  // Other lines may have come in between: the count names the message it counts.
  if (repeats_ > 0) {
    err_ << "(\"" << lastMessage_.substr(0, lastMessage_.find('\n')) << "\" came " << repeats_
         << " more times)\n";
  }
  repeats_ = 0;
}

void CliHost::ShowMessage(const std::string& title, const std::string& text) {
  const std::string message = (title.empty() ? "" : title + ": ") + TerminalText(text);
  if (message == lastMessage_) {
    ++repeats_;
    return;
  }
  FlushRepeats();
  lastMessage_ = message;
  err_ << message << '\n';
}

bool CliHost::AskRetryCancel(const std::string& title, const std::string& text) {
  ShowMessage(title, text);
  return false;
}

bool CliHost::AskYesNo(const std::string& title, const std::string& text) {
  ShowMessage(title, text);
  return false;
}

void CliView::AppendLog(const std::string& text) {
  if (printLog) log_ << TerminalText(text) << std::flush;
}

void CliView::StopPolling() {
  if (polling == nullptr) return;
  polling->ticked = false;
  polling->enabled = false;
}

void CliView::AppendHexLog(int devType, const std::string& text) {
  frames_ << (devType != 0 ? "[type 1] " : "[type 0] ") << TerminalText(text) << std::flush;
}

void CliFaultRecorder::ComError(const std::string& text) {
  ++comErrors_;
  err_ << "communication error: " << text << '\n';
}

void CliFaultRecorder::RecordCrc4Error() {
  ComError("CRC4 error");
}

void CliFaultRecorder::RecordNackResponse(const std::string& traceSent,
                                          const std::string& traceReceived) {
  ComError("NACK response (" + traceSent + "/ " + traceReceived + ")");
}

void CliFaultRecorder::RecordUnrecognizedResponse() {
  ComError("unrecognized response");
}

void CliFaultRecorder::RecordNoAcknowledge(const std::string& devices) {
  ComError("no acknowledge from " + devices);
}

void CliFaultRecorder::RecordPipeComError() {
  ComError("pipe communication error");
}

void CliFaultRecorder::RecordFaultStatus(const std::string& faultText) {
  err_ << "fault: " << faultText << '\n';
}

}  // namespace qvm::cli
