#include "console/log_fault_recorder.h"

namespace qvm {

void LogFaultRecorder::RecordCrc4Error() {
  view_.AppendLog("CRC4 error\r\n");
}

void LogFaultRecorder::RecordNackResponse(const std::string& traceSent,
                                          const std::string& traceReceived) {
  view_.AppendLog("NACK response: sent " + traceSent + " received " + traceReceived + "\r\n");
}

void LogFaultRecorder::RecordUnrecognizedResponse() {
  view_.AppendLog("Unrecognized response\r\n");
}

void LogFaultRecorder::RecordPipeComError() {
  view_.AppendLog("Pipe communication error\r\n");
}

void LogFaultRecorder::RecordFaultStatus(const std::string& faultText) {
  view_.AppendLog(faultText + "\r\n");
}

}  // namespace qvm
