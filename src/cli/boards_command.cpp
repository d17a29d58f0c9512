#include "cli/boards_command.h"

#include <ostream>

#include "link/bridge.h"
#include "link/hidapi_bus.h"
#include "sim/simulated_source.h"

namespace qvm::cli {

namespace {

int ListBoards(HidBus& bus, std::ostream& out, std::ostream& err) {
  int index = 0;
  for (const HidDeviceInfo& info : bus.Enumerate()) {
    if (!IsBridgeBoard(info)) continue;
    out << index++ << ": " << info.path;
    if (!info.product.empty()) out << "  " << info.product;
    if (!info.serial.empty()) out << "  serial " << info.serial;
    out << '\n';
  }
  if (index == 0) {
    err << "No bridge board (product id 0x2035) found.\n";
    return 1;
  }
  return 0;
}

}  // namespace

int RunBoards(const DeviceOptions& options, std::ostream& out, std::ostream& err) {
  if (options.simChain.empty()) {
    HidapiBus bus;
    return ListBoards(bus, out, err);
  }
  SystemClock clock;
  std::string error;
  auto simulated = sim::MakeSimulatedSource({options.simChain, options.simFaults, options.simSeed},
                                            clock, error);
  if (!simulated) {
    err << "qvmctl: " << error << '\n';
    return 2;
  }
  return ListBoards(*simulated->bus, out, err);
}

}  // namespace qvm::cli
