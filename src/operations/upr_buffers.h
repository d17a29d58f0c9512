// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include "operations/bulk_reads.h"
#include "protocol/session.h"

namespace qvm {

// What a UPR buffer read paints: the first UPR status indicator blinks (green and yellow in
// turn) while the bridge's own polling is healthy, turns red when it is not, and the fault
// status tab is brought forward before the refresh. Any of them may be left empty.
struct UprStatusView {
  std::function<void()> blink;
  std::function<void()> showFault;
  std::function<void()> selectStatusTab;
  // Charts the voltages that the recovery after a bad status reads.
  ChartSampleSink addToCharts;
};

// Fetches the bridge's UPR buffer of one device type (parts 0 and 2: primary, 1 and 3:
// companion), daisy-chain mode only. For parts 0 and 1 the reply's status byte is examined:
// 0x88 blinks the indicator; anything else stops polling and reads faults and voltages once.
// False when nothing was fetched or the status was bad.
bool ReadUPRBuffers(Session& session, int part, const UprStatusView& paint = {});

}  // namespace qvm
