#include "cli/boards_command.h"

#include <cstdio>
#include <ostream>

#include "link/board_access.h"
#include "link/frame_trace.h"
#include "link/hidapi_bus.h"
#include "sim/simulated_source.h"

namespace qvm::cli {

namespace {

std::string Quoted(const std::string& text) {
  return text.empty() ? "-" : "\"" + text + "\"";
}

std::string UsbIds(std::uint16_t vendorId, std::uint16_t productId) {
  char ids[10];
  std::snprintf(ids, sizeof ids, "%04x:%04x", vendorId, productId);
  return ids;
}

// One line per bridge board: instance number ("-" when it cannot be opened), device node,
// vendor:product id, manufacturer, product, serial, and whether it can be opened.
int ListBoards(HidBus& bus, std::uint16_t vendorId, std::ostream& out, std::ostream& err) {
  const auto entries = ListBridgeBoards(bus, vendorId);
  bool anyOpens = false;
  for (const BridgeBoardEntry& entry : entries) {
    const HidDeviceInfo& info = entry.info;
    out << (entry.canOpen ? std::to_string(entry.instance) : "-") << "  " << info.path << "  "
        << UsbIds(info.vendorId, info.productId) << "  manufacturer " << Quoted(info.manufacturer)
        << "  product " << Quoted(info.product) << "  serial " << Quoted(info.serial) << "  "
        << (entry.canOpen ? "can be opened" : "cannot be opened: " + entry.openError) << '\n';
    anyOpens = anyOpens || entry.canOpen;
  }
  if (entries.empty()) {
    err << "qvmctl: no bridge board (USB id " << UsbIds(vendorId, kBridgeProductId) << ") found\n";
    return 1;
  }
  if (!anyOpens) {
    const BoardOpenFailure failure{entries.front().info.path, entries.front().openError};
    err << "qvmctl: " << ReplaceLineBreaks(BoardAccessText(failure), "\n") << '\n';
    return 1;
  }
  return 0;
}

}  // namespace

int RunBoards(const DeviceOptions& options, std::ostream& out, std::ostream& err) {
  if (options.simChain.empty()) {
    HidapiBus bus;
    return ListBoards(bus, options.vendorId, out, err);
  }
  SystemClock clock;
  std::string error;
  auto simulated = sim::MakeSimulatedSource({options.simChain, options.simFaults, options.simSeed},
                                            clock, error);
  if (!simulated) {
    err << "qvmctl: " << error << '\n';
    return 2;
  }
  return ListBoards(*simulated->bus, options.vendorId, out, err);
}

}  // namespace qvm::cli
