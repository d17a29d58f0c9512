// SPDX-License-Identifier: MIT
#include "protocol/session.h"

namespace qvm {

Session::Session(HidBus& bus, Host& hostIn, Clock& clockIn, ProtocolView& viewIn,
                 FaultRecorder& faultsIn, PollingTimer& pollingIn)
    : faultTap(faultsIn, target, LastReply),
      host(hostIn),
      clock(clockIn),
      view(viewIn),
      faults(faultTap),
      polling(pollingIn),
      bridge(bus, hostIn, clockIn, viewIn),
      packets(bridge, exchange, hostIn, clockIn, viewIn) {}

void Session::LogLine(std::string_view text) {
  logLine.assign(text);
  logLine += "\r\n";
  view.AppendLog(logLine);
}

void Session::LogLine(const TrafficLine& line) {
  WriteTrafficLine(logLine, line);
  logLine += "\r\n";
  view.AppendLog(logLine);
}

}  // namespace qvm
