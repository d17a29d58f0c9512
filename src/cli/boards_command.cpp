#include "cli/boards_command.h"

#include <ostream>

#include "link/bridge.h"
#include "link/hidapi_bus.h"

namespace qvm::cli {

int RunBoards(const std::string& simChain, std::ostream& out, std::ostream& err) {
  (void)simChain;
  HidapiBus bus;
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

}  // namespace qvm::cli
