#include "protocol/session.h"

namespace qvm {

Session::Session(HidBus& bus, Host& hostIn, Clock& clockIn, ProtocolView& viewIn,
                 FaultRecorder& faultsIn, PollingTimer& pollingIn)
    : host(hostIn),
      clock(clockIn),
      view(viewIn),
      faults(faultsIn),
      polling(pollingIn),
      bridge(bus, hostIn, clockIn, viewIn),
      packets(bridge, exchange, hostIn, clockIn, viewIn) {}

}  // namespace qvm
