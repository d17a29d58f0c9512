// SPDX-License-Identifier: MIT
#include "link/board_access.h"

#include <algorithm>

#include "core/number_text.h"

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

std::optional<int> ChooseBridgeBoard(const std::vector<BridgeBoardEntry>& entries,
                                     const std::string& choice, std::string& error) {
  const auto index = ParseNumberText(choice, 0xFFFF);
  std::vector<const BridgeBoardEntry*> matches;
  for (const BridgeBoardEntry& entry : entries) {
    const bool byIndex = index && entry.canOpen && entry.instance == static_cast<int>(*index);
    const bool bySerial = !entry.info.serial.empty() && entry.info.serial == choice;
    if (byIndex || bySerial || entry.info.path == choice) matches.push_back(&entry);
  }
  if (matches.empty()) {
    error = "no bridge board has the number, serial number or device node " + choice;
    // Boards that cannot be opened have no number: say why, as the number may be theirs.
    const auto refused = std::find_if(entries.begin(), entries.end(),
                                      [](const BridgeBoardEntry& entry) { return !entry.canOpen; });
    if (index && refused != entries.end()) {
      error += "; " + BoardAccessText({refused->info.path, refused->openError});
    }
    return std::nullopt;
  }
  if (matches.size() > 1) {
    error = std::to_string(matches.size()) + " bridge boards match " + choice + ":";
    for (const BridgeBoardEntry* entry : matches) error += " " + entry->info.path;
    error += "; name one by its device node";
    return std::nullopt;
  }
  const BridgeBoardEntry& chosen = *matches.front();
  if (!chosen.canOpen) {
    error = BoardAccessText({chosen.info.path, chosen.openError});
    return std::nullopt;
  }
  return chosen.instance;
}

bool IsAccessDenied(const std::string& openError) {
  return openError.find("ermission denied") != std::string::npos;
}

std::string BoardAccessText(const BoardOpenFailure& failure) {
  const bool denied = IsAccessDenied(failure.reason);
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
