#pragma once

#include <stdexcept>
#include <string>

namespace qvm::python {

// Why an operation failed, as the Python exception classes tell it apart.
enum class ErrorKind {
  kGeneral,      // qvm.Error
  kNoAnswer,     // qvm.NoAnswerError: the bridge or the devices did not answer
  kNak,          // qvm.NakError
  kCrc,          // qvm.CrcError
  kBadResponse,  // qvm.BadResponseError: a reply too short or unreadable
  kLinkLost,     // qvm.LinkLostError: the board went away, polling terminated
  kFileRefused,  // qvm.FileRefusedError: a file could not be read or written
};

// A failure with its kind and reason, raised into Python as the matching exception.
class BoardError : public std::runtime_error {
 public:
  BoardError(ErrorKind kind, const std::string& reason) : std::runtime_error(reason), kind_(kind) {}
  ErrorKind kind() const { return kind_; }

 private:
  ErrorKind kind_;
};

}  // namespace qvm::python
