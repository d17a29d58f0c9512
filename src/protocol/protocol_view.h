// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/console_view.h"

namespace qvm {

// What the device protocol paints beyond the console view of the link: the register editor
// rows, the status and monitor refreshes, the bench window's SPI fields and the balance
// sequence window's visibility. Every hook has a harmless default, so a headless front end
// shows nothing and refreshes nothing.
class ProtocolView : public ConsoleView {
 public:
  // "Polling Update GUI Contols": the parser refreshes the displays after each reply.
  virtual bool UpdateGuiControls() { return false; }

  // Register editor: the selected tab (0-based; -1 when none), whether row `slot` is shown and
  // whether it offers "Write".
  virtual int SelectedTab() { return -1; }
  virtual bool RegisterSlotVisible(int slot) {
    (void)slot;
    return false;
  }
  virtual bool RegisterSlotWritable(int slot) {
    (void)slot;
    return false;
  }
  // Puts the four-digit hexadecimal value into row `slot` and brings its bits and decoded
  // value in step.
  virtual void ShowRegisterSlot(int slot, const std::string& hexValue) {
    (void)slot;
    (void)hexValue;
  }

  // Main-tab device status frame and first monitor frame: shown, and their refresh.
  virtual bool MainTabDeviceStatusVisible() { return false; }
  virtual void UpdateMainTabDeviceStatusControls() {}
  virtual bool MonitorTabVisible() { return false; }
  virtual void UpdateMonitorTabControls() {}

  // Bench window: the frame bytes about to be sent and the packet's byte count.
  virtual void ShowBenchFrame(std::span<const std::uint8_t> frame, int byteCount) {
    (void)frame;
    (void)byteCount;
  }

  // The balance sequence window is open; polling then stays off after a transfer.
  virtual bool BalanceSequenceVisible() { return false; }
};

}  // namespace qvm
