// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace qvm {

// Communication-error flag bits, as samples, ticks and records carry them.
enum ComErrorBit : std::uint16_t {
  kComErrNoAck = 0x01,
  kComErrCrc4 = 0x02,
  kComErrBadResponse = 0x04,
  kComErrNack = 0x08,
  kComErrPipe = 0x10,
};

// Where the protocol reports communication errors and newly raised device faults. The console
// shows them in its communication-error and fault-status windows and marks the chart sample
// being acquired; the display name of device type 0 that heads those windows comes from the
// shared state.
class FaultRecorder {
 public:
  virtual ~FaultRecorder() = default;

  // A response frame failed its CRC4 check.
  virtual void RecordCrc4Error() = 0;
  // A device answered NAK; the traces are the request that drew it and the reply that carried
  // it, each with its line breaks replaced by blanks.
  virtual void RecordNackResponse(const std::string& traceSent,
                                  const std::string& traceReceived) = 0;
  // The reply was too short or could not be read as a response.
  virtual void RecordUnrecognizedResponse() = 0;
  // Devices whose expected answer is missing from the reply or cut short, for example
  // "QVM52400 device 2".
  virtual void RecordNoAcknowledge(const std::string& devices) = 0;
  // The bridge did not answer a packet.
  virtual void RecordPipeComError() = 0;
  // A fault bit newly set: "<type name> device <n> <bit name> Fault".
  virtual void RecordFaultStatus(const std::string& faultText) = 0;
};

// Records nothing: for runs where nobody reads the windows.
class QuietFaultRecorder final : public FaultRecorder {
 public:
  void RecordCrc4Error() override {}
  void RecordNackResponse(const std::string&, const std::string&) override {}
  void RecordUnrecognizedResponse() override {}
  void RecordNoAcknowledge(const std::string&) override {}
  void RecordPipeComError() override {}
  void RecordFaultStatus(const std::string&) override {}
};

}  // namespace qvm
