// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace qvm {

// Result of a bridge transfer.
enum TransferStatus : std::uint16_t {
  kTransferDeviceError = 1,  // the bridge reported an error (I2C: address not acknowledged)
  kTransferReadTimeout = 2,  // no input report within the read time-out
  kTransferWriteFailed = 4,
  kTransferSuccess = 8,
};

}  // namespace qvm
