// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "protocol/com_error_tap.h"

namespace qvm {

class Session;

// One polling tick, read-all or read for a saved file: it remembers the first exchange it
// covers and counts the communication errors recorded while it is open, so that its values and
// flags are exactly what its own exchanges brought.
class Acquisition {
 public:
  explicit Acquisition(Session& session);
  ~Acquisition();
  Acquisition(const Acquisition&) = delete;
  Acquisition& operator=(const Acquisition&) = delete;

  // Ends it: later exchanges are not its own. Runs once; the destructor runs it otherwise.
  void Close();

  // One of its exchanges read the register successfully, and no read of it has failed since.
  bool Fresh(int type, int dev, int address) const;
  const ComErrorTally& Errors() const { return errors_; }
  // An error cost something: a value not read, a command not acknowledged. Replies that only
  // the retry brought are on record but no failure.
  bool Failed() const { return errors_.count > errors_.recovered; }

 private:
  Session& session_;
  std::uint32_t first_;
  std::uint32_t last_ = UINT32_MAX;
  bool open_ = true;
  ComErrorTally errors_;
};

}  // namespace qvm
