// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/register_model.h"
#include "protocol/fault_recorder.h"
#include "protocol/reply_outcome.h"

namespace qvm {

// Communication errors counted while an acquisition was open: every flag bit met, and per
// device the bits of the errors that concerned it. A reply lost and brought by the retry is on
// record, but cost nothing: it counts as recovered.
struct ComErrorTally {
  std::uint16_t flags = 0;
  int count = 0;
  int recovered = 0;
  std::array<std::array<std::uint16_t, kDevicesPerType>, kDeviceTypes> device{};

  std::uint16_t Device(int type, int dev) const {
    return device[static_cast<std::size_t>(type)][static_cast<std::size_t>(dev)];
  }
};

// The fault recorder the protocol reports to. It passes every record on to the program's own
// recorder and counts each communication error in the tallies open at the time, against the
// devices the exchange under way addressed (for a missing answer: the devices that gave none).
class ComErrorTap final : public FaultRecorder {
 public:
  ComErrorTap(FaultRecorder& outer, const ExchangeTarget& target, const ReplyOutcome& reply)
      : outer_(outer), target_(target), reply_(reply) {}

  void Open(ComErrorTally& tally) { open_.push_back(&tally); }
  void Close(ComErrorTally& tally);
  // The error just recorded cost nothing: the exchange went through on its retry.
  void CountRecovered();

  void RecordCrc4Error() override;
  void RecordNackResponse(const std::string& traceSent, const std::string& traceReceived) override;
  void RecordUnrecognizedResponse() override;
  void RecordNoAcknowledge(const std::string& devices) override;
  void RecordPipeComError() override;
  void RecordFaultStatus(const std::string& faultText) override;

 private:
  void Count(std::uint16_t bit, std::uint16_t devices);

  FaultRecorder& outer_;
  const ExchangeTarget& target_;
  const ReplyOutcome& reply_;
  std::vector<ComErrorTally*> open_;
};

}  // namespace qvm
