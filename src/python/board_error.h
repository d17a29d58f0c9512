// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>
#include <string>

namespace qvm::python {

// Why an operation failed, as the Python exception classes tell it apart.
enum class ErrorKind {
  kGeneral,       // qvm.Error
  kNoAnswer,      // qvm.NoAnswerError: the bridge or the devices did not answer
  kAccessDenied,  // qvm.AccessDeniedError: the board is there, the user may not open it
  kNak,           // qvm.NakError
  kCrc,           // qvm.CrcError
  kBadResponse,   // qvm.BadResponseError: a reply too short or unreadable
  kLinkLost,      // qvm.LinkLostError: the board went away, polling terminated
  kFileRefused,   // qvm.FileRefusedError: a file could not be read or written
  kPublish,       // qvm.PublishError: polled samples did not reach the MQTT broker
};

// A failure with its kind and reason, raised into Python as the matching exception; a file
// failure names the file and the errno that tells why.
class BoardError : public std::runtime_error {
 public:
  BoardError(ErrorKind kind, const std::string& reason) : std::runtime_error(reason), kind_(kind) {}
  BoardError(const std::string& reason, int errorNumber, std::string filename)
      : std::runtime_error(reason),
        kind_(ErrorKind::kFileRefused),
        errorNumber_(errorNumber),
        filename_(std::move(filename)) {}
  ErrorKind kind() const { return kind_; }
  int errorNumber() const { return errorNumber_; }
  const std::string& filename() const { return filename_; }

 private:
  ErrorKind kind_;
  int errorNumber_ = 0;
  std::string filename_;
};

}  // namespace qvm::python
