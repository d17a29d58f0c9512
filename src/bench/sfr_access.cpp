// SPDX-License-Identifier: MIT
#include "bench/sfr_access.h"

namespace qvm {

bool SfrWrite(Bridge& bridge, std::uint8_t address, std::uint8_t value) {
  bridge.FillReport(0);
  bridge.SetReportId();
  bridge.ReportBuffer[1] = kSfrCommand;
  bridge.ReportBuffer[2] = 0;
  bridge.ReportBuffer[3] = address;
  bridge.ReportBuffer[4] = value;
  return bridge.WriteReport();
}

SfrReadResult SfrRead(Bridge& bridge, std::uint8_t address) {
  bridge.FlushInput();
  bridge.FillReport(0);
  bridge.SetReportId();
  bridge.ReportBuffer[1] = kSfrCommand;
  bridge.ReportBuffer[2] = 1;
  bridge.ReportBuffer[3] = address;
  SfrReadResult result;
  if (!bridge.WriteReport()) return result;
  result.sent = true;
  if (bridge.ReadInto(Bridge::kReadTimeoutMs) != ReadResult::Report) bridge.checkStatus(false);
  result.value = bridge.ReportBuffer[3];
  return result;
}

}  // namespace qvm
