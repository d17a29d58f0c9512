// SPDX-License-Identifier: MIT
#include "cli/boards_command.h"

#include <cstdio>
#include <ostream>

#include "core/json_text.h"
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

// The same as a JSON array, one object per board.
void PrintBoardsJson(const std::vector<BridgeBoardEntry>& entries, std::ostream& out) {
  out << '[';
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const BridgeBoardEntry& entry = entries[i];
    const HidDeviceInfo& info = entry.info;
    out << (i > 0 ? "," : "")
        << "{\"index\":" << (entry.canOpen ? std::to_string(entry.instance) : "null")
        << ",\"path\":" << JsonString(info.path) << ",\"vendor_id\":" << info.vendorId
        << ",\"product_id\":" << info.productId
        << ",\"manufacturer\":" << JsonString(info.manufacturer)
        << ",\"product\":" << JsonString(info.product) << ",\"serial\":" << JsonString(info.serial)
        << ",\"can_open\":" << (entry.canOpen ? "true" : "false")
        << ",\"open_error\":" << JsonString(entry.openError) << '}';
  }
  out << "]\n";
}

// One line per bridge board: instance number ("-" when it cannot be opened), device node,
// vendor:product id, manufacturer, product, serial, and whether it can be opened.
int ListBoards(HidBus& bus, std::uint16_t vendorId, bool json, std::ostream& out,
               std::ostream& err) {
  const auto entries = ListBridgeBoards(bus, vendorId);
  bool anyOpens = false;
  if (json) PrintBoardsJson(entries, out);
  for (const BridgeBoardEntry& entry : entries) {
    anyOpens = anyOpens || entry.canOpen;
    if (json) continue;
    const HidDeviceInfo& info = entry.info;
    out << (entry.canOpen ? std::to_string(entry.instance) : "-") << "  " << info.path << "  "
        << UsbIds(info.vendorId, info.productId) << "  manufacturer " << Quoted(info.manufacturer)
        << "  product " << Quoted(info.product) << "  serial " << Quoted(info.serial) << "  "
        << (entry.canOpen ? "can be opened" : "cannot be opened: " + entry.openError) << '\n';
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
    return ListBoards(bus, options.vendorId, options.json, out, err);
  }
  SystemClock clock;
  std::string error;
  auto simulated = sim::MakeSimulatedSource({options.simChain, options.simFaults, options.simSeed},
                                            clock, error);
  if (!simulated) {
    err << "qvmctl: " << error << '\n';
    return 2;
  }
  return ListBoards(*simulated->bus, options.vendorId, options.json, out, err);
}

}  // namespace qvm::cli
