// SPDX-License-Identifier: MIT
#pragma once
#include "protocol/fault_recorder.h"

namespace qvm {

// Hands every record to the recorder set as its target. The session needs a recorder when it
// is built, while the fault windows' recorder is built from the session (its host and part
// names): the relay bridges the two.
class FaultRecorderRelay final : public FaultRecorder {
 public:
  void SetTarget(FaultRecorder* target) { target_ = target; }

  void RecordCrc4Error() override {
    if (target_) target_->RecordCrc4Error();
  }
  void RecordNackResponse(const std::string& traceSent, const std::string& traceReceived) override {
    if (target_) target_->RecordNackResponse(traceSent, traceReceived);
  }
  void RecordUnrecognizedResponse() override {
    if (target_) target_->RecordUnrecognizedResponse();
  }
  void RecordNoAcknowledge(const std::string& devices) override {
    if (target_) target_->RecordNoAcknowledge(devices);
  }
  void RecordPipeComError() override {
    if (target_) target_->RecordPipeComError();
  }
  void RecordFaultStatus(const std::string& faultText) override {
    if (target_) target_->RecordFaultStatus(faultText);
  }

 private:
  FaultRecorder* target_ = nullptr;
};

}  // namespace qvm
