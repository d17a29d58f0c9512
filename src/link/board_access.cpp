#include "link/board_access.h"

namespace qvm {

std::vector<BridgeBoardEntry> ListBridgeBoards(HidBus& bus, std::uint16_t vendorId) {
  std::vector<BridgeBoardEntry> entries;
  int opened = 0;
  for (const HidDeviceInfo& info : bus.Enumerate()) {
    if (!HasBridgeIds(info, vendorId)) continue;
    BridgeBoardEntry entry;
    entry.info = info;
    if (bus.Open(info.path)) {
      entry.canOpen = true;
      entry.instance = opened++;
    } else {
      entry.openError = bus.OpenError().empty() ? "unknown error" : bus.OpenError();
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string BoardAccessText(const BoardOpenFailure& failure) {
  const bool denied = failure.reason.find("ermission denied") != std::string::npos;
  std::string text = "The bridge board " + failure.path +
                     " is attached but cannot be opened: " + failure.reason + "\r\n";
  if (denied) {
    text += std::string("Install the udev rule ") + kUdevRuleName +
            " so that the logged-in user may open it (see \"Using a real board\" in the "
            "README), then unplug and plug in the board again.";
  } else {
    text += "Close any other program that uses the board, or unplug and plug it in again.";
  }
  return text;
}

}  // namespace qvm
