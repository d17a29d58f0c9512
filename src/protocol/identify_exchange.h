// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "protocol/device_command.h"
#include "protocol/session.h"

namespace qvm {

// One exchange of the daisy-chain identification with the chain of one device type: sends a
// command and reads the reply's first response frame. The faults the response parser records,
// this records too, with a log line under the procedure's name: a missing or cut-short answer,
// a CRC4 error, a NAK. A frame that failed its CRC4, or a NAK, never counts as an answer.
class IdentifyExchange {
 public:
  IdentifyExchange(Session& session, int devType, std::string procedure);

  // Sends `command` for this device type. Returns the reply's first frame when it came whole,
  // with a good CRC4, and is no NAK. `answerer` is the device whose answer the command calls
  // for; its missing answer is recorded. 0: none is due, or silence is a result in itself.
  std::optional<DeviceCommand> Send(DeviceCommand command, int answerer);

  // The bridge did not answer an exchange (recorded as a pipe error); the procedure ends.
  bool Failed() const { return failed_; }

  // Records an answer the procedure cannot use.
  void RecordUnrecognized();

 private:
  void Log(const std::string& text);

  Session& session_;
  int type_;
  std::string name_;
  std::string procedure_;
  bool failed_ = false;
};

}  // namespace qvm
