// SPDX-License-Identifier: MIT
#include "protocol/com_error_tap.h"

#include <algorithm>

namespace qvm {

void ComErrorTap::Close(ComErrorTally& tally) {
  open_.erase(std::remove(open_.begin(), open_.end(), &tally), open_.end());
}

void ComErrorTap::CountRecovered() {
  for (ComErrorTally* tally : open_) ++tally->recovered;
}

void ComErrorTap::Count(std::uint16_t bit, std::uint16_t devices) {
  const auto type = static_cast<std::size_t>(target_.type);
  for (ComErrorTally* tally : open_) {
    tally->flags |= bit;
    ++tally->count;
    for (std::size_t d = 0; d < kDevicesPerType; ++d) {
      if ((devices & (1u << d)) != 0) tally->device[type][d] |= bit;
    }
  }
}

void ComErrorTap::RecordCrc4Error() {
  Count(kComErrCrc4, target_.devices);
  outer_.RecordCrc4Error();
}

void ComErrorTap::RecordNackResponse(const std::string& traceSent,
                                     const std::string& traceReceived) {
  Count(kComErrNack, target_.devices);
  outer_.RecordNackResponse(traceSent, traceReceived);
}

void ComErrorTap::RecordUnrecognizedResponse() {
  Count(kComErrBadResponse, target_.devices);
  outer_.RecordUnrecognizedResponse();
}

void ComErrorTap::RecordNoAcknowledge(const std::string& devices) {
  Count(kComErrNoAck, reply_.missing != 0 ? reply_.missing : target_.devices);
  outer_.RecordNoAcknowledge(devices);
}

void ComErrorTap::RecordPipeComError() {
  Count(kComErrPipe, target_.devices);
  outer_.RecordPipeComError();
}

void ComErrorTap::RecordFaultStatus(const std::string& faultText) {
  outer_.RecordFaultStatus(faultText);
}

}  // namespace qvm
