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

void CliHost::ShowMessage(const std::string& title, const std::string& text) {
  err_ << (title.empty() ? "" : title + ": ") << TerminalText(text) << '\n';
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
  if (printLog) out_ << TerminalText(text) << std::flush;
}

void CliView::AppendHexLog(int devType, const std::string& text) {
  out_ << (devType != 0 ? "[type 1] " : "[type 0] ") << TerminalText(text) << std::flush;
}

void CliFaultRecorder::RecordCrc4Error() {
  err_ << "communication error: CRC4 error\n";
}

void CliFaultRecorder::RecordNackResponse(const std::string& traceSent,
                                          const std::string& traceReceived) {
  err_ << "communication error: NACK response (" << traceSent << "/ " << traceReceived << ")\n";
}

void CliFaultRecorder::RecordUnrecognizedResponse() {
  err_ << "communication error: unrecognized response\n";
}

void CliFaultRecorder::RecordPipeComError() {
  err_ << "communication error: pipe communication error\n";
}

void CliFaultRecorder::RecordFaultStatus(const std::string& faultText) {
  err_ << "fault: " << faultText << '\n';
}

}  // namespace qvm::cli
