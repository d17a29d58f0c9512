// SPDX-License-Identifier: MIT
#include "protocol/acquisition.h"

#include "protocol/session.h"

namespace qvm {

Acquisition::Acquisition(Session& session) : session_(session), first_(session.exchangeNumber + 1) {
  session_.faultTap.Open(errors_);
}

Acquisition::~Acquisition() {
  Close();
}

void Acquisition::Close() {
  if (!open_) return;
  open_ = false;
  last_ = session_.exchangeNumber;
  session_.faultTap.Close(errors_);
}

bool Acquisition::Fresh(int type, int dev, int address) const {
  return session_.image.ReadSince(type, dev, address, first_) &&
         session_.image.ReadIn(type, dev, address) <= last_;
}

}  // namespace qvm
