// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/hid_device.h"

namespace qvm {

// The udev rule that gives the logged-in user access to the bridge boards.
inline constexpr const char* kUdevRuleName = "70-qvm-bridge.rules";

// A bridge board that is listed on the bus but could not be opened, and why.
struct BoardOpenFailure {
  std::string path;
  std::string reason;
};

// One bridge board on the bus as `qvmctl boards` shows it.
struct BridgeBoardEntry {
  HidDeviceInfo info;
  // Its instance number once opened: the opened boards are numbered in bus order.
  int instance = -1;
  bool canOpen = false;
  std::string openError;
};

// True for the HID devices that are our bridge boards: `vendorId` and our product id.
inline bool HasBridgeIds(const HidDeviceInfo& info, std::uint16_t vendorId) {
  return info.vendorId == vendorId && info.productId == kBridgeProductId;
}

// Every bridge board on the bus with `vendorId`; each is opened once to see whether it can be.
std::vector<BridgeBoardEntry> ListBridgeBoards(HidBus& bus, std::uint16_t vendorId);

// The instance number of the one listed board that `choice` names by its instance number,
// serial number or device node, as `qvmctl boards` prints them. Nothing, with the reason in
// `error`, when no board or several match, or the board that matches cannot be opened.
std::optional<int> ChooseBridgeBoard(const std::vector<BridgeBoardEntry>& entries,
                                     const std::string& choice, std::string& error);

// True when an open error says that the user may not open the device node.
bool IsAccessDenied(const std::string& openError);

// The message for a board that is attached but cannot be opened: its device node, the reason
// and the fix (the udev rule when access was denied).
std::string BoardAccessText(const BoardOpenFailure& failure);

}  // namespace qvm
