#include "cli/boards_command.h"

#include <ostream>

#include "cli/json_output.h"
#include "link/bridge.h"
#include "link/hidapi_bus.h"
#include "sim/simulated_source.h"

namespace qvm::cli {

namespace {

int ListBoards(HidBus& bus, bool json, std::ostream& out, std::ostream& err) {
  int index = 0;
  if (json) out << '[';
  for (const HidDeviceInfo& info : bus.Enumerate()) {
    if (!IsBridgeBoard(info)) continue;
    if (json) {
      out << (index > 0 ? "," : "") << "{\"index\":" << index
          << ",\"path\":" << JsonString(info.path) << ",\"product\":" << JsonString(info.product)
          << ",\"serial\":" << JsonString(info.serial) << '}';
      ++index;
      continue;
    }
    out << index++ << ": " << info.path;
    if (!info.product.empty()) out << "  " << info.product;
    if (!info.serial.empty()) out << "  serial " << info.serial;
    out << '\n';
  }
  if (json) out << "]\n";
  if (index == 0) {
    err << "No bridge board (product id 0x2035) found.\n";
    return 1;
  }
  return 0;
}

}  // namespace

int RunBoards(const DeviceOptions& options, std::ostream& out, std::ostream& err) {
  const bool json = options.json;
  if (options.simChain.empty()) {
    HidapiBus bus;
    return ListBoards(bus, json, out, err);
  }
  SystemClock clock;
  std::string error;
  auto simulated = sim::MakeSimulatedSource({options.simChain, options.simFaults, options.simSeed},
                                            clock, error);
  if (!simulated) {
    err << "qvmctl: " << error << '\n';
    return 2;
  }
  return ListBoards(*simulated->bus, json, out, err);
}

}  // namespace qvm::cli
