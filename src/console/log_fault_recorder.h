#pragma once
#include "core/console_view.h"
#include "protocol/fault_recorder.h"

namespace qvm {

// Records communication errors and device faults as lines of the activity log, until the
// communication-error and fault-status windows exist.
class LogFaultRecorder : public FaultRecorder {
 public:
  explicit LogFaultRecorder(ConsoleView& view) : view_(view) {}
  void RecordCrc4Error() override;
  void RecordNackResponse(const std::string& traceSent, const std::string& traceReceived) override;
  void RecordUnrecognizedResponse() override;
  void RecordPipeComError() override;
  void RecordFaultStatus(const std::string& faultText) override;

 private:
  ConsoleView& view_;
};

}  // namespace qvm
