// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "protocol/fault_recorder.h"
#include "protocol/polling_timer.h"
#include "protocol/protocol_view.h"
#include "scripted_host.h"

namespace qvm::test {

// A scripted host that runs `onPump` whenever the core lets events run, as a timer or a click
// would.
class HookedHost final : public ScriptedHost {
 public:
  void PumpEvents() override {
    ScriptedHost::PumpEvents();
    if (onPump) onPump();
  }

  std::function<void()> onPump;
};

// Keeps every recorded fault in order, as the fault windows would show them.
class RecordingFaultRecorder final : public FaultRecorder {
 public:
  void RecordCrc4Error() override { entries.push_back("CRC4 Error"); }
  void RecordNackResponse(const std::string& traceSent, const std::string& traceReceived) override {
    entries.push_back("NACK Response " + traceSent + " " + traceReceived);
  }
  void RecordUnrecognizedResponse() override { entries.push_back("Unrecognized Response"); }
  void RecordNoAcknowledge(const std::string& devices) override {
    entries.push_back("No Acknowledge " + devices);
  }
  void RecordPipeComError() override { entries.push_back("Pipe Communication Error"); }
  void RecordFaultStatus(const std::string& faultText) override {
    if (failFaultStatus) throw std::out_of_range("Subscript out of range");
    faults.push_back(faultText);
  }

  std::vector<std::string> entries;  // communication errors
  std::vector<std::string> faults;   // fault status log
  // The fault status window fails, as a broken window would.
  bool failFaultStatus = false;
};

// The polling timer and its check box as two flags, counting the timer switches.
class CountingPollingTimer final : public PollingTimer {
 public:
  bool Enabled() const override { return enabled; }
  void SetEnabled(bool on) override {
    enabled = on;
    ++switches;
  }
  bool PollingTicked() const override { return ticked; }
  void UntickPolling() override { ticked = false; }

  bool enabled = false;
  bool ticked = false;
  int switches = 0;
};

// Records what the protocol paints; the display switches are plain fields.
class RecordingView final : public ProtocolView {
 public:
  explicit RecordingView(CountingPollingTimer& timer) : timer_(timer) {}

  void AppendLog(const std::string& text) override { log += text; }
  void ClearLog() override { log.clear(); }
  bool ShowActivityLogs() override { return showActivityLogs; }
  void AppendHexLog(int devType, const std::string& text) override { hexLog[devType] += text; }
  void SetLed(Led led, Colour colour) override { leds[led] = colour; }
  // The exchange stops polling through the same check box and timer the guard uses.
  void StopPolling() override {
    timer_.UntickPolling();
    timer_.SetEnabled(false);
  }

  bool UpdateGuiControls() override { return updateGuiControls; }
  int SelectedTab() override { return selectedTab; }
  bool RegisterSlotVisible(int slot) override { return slot < visibleSlots; }
  bool RegisterSlotWritable(int slot) override { return writableSlots.count(slot) != 0; }
  void ShowRegisterSlot(int slot, const std::string& hexValue) override {
    slotUpdates.emplace_back(slot, hexValue);
  }
  bool MainTabDeviceStatusVisible() override { return mainTabVisible; }
  void UpdateMainTabDeviceStatusControls() override { ++mainTabRefreshes; }
  bool MonitorTabVisible() override { return monitorTabVisible; }
  void UpdateMonitorTabControls() override { ++monitorRefreshes; }
  bool BalanceSequenceVisible() override { return balanceSequenceVisible; }

  // The activity log split at CR LF (the last, unterminated part is kept when not empty).
  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at = log.find("\r\n"); at != std::string::npos; at = log.find("\r\n", start)) {
      lines.push_back(log.substr(start, at - start));
      start = at + 2;
    }
    if (start < log.size()) lines.push_back(log.substr(start));
    return lines;
  }

  std::string log;
  std::map<int, std::string> hexLog;
  std::map<Led, Colour> leds;
  std::vector<std::pair<int, std::string>> slotUpdates;
  int mainTabRefreshes = 0;
  int monitorRefreshes = 0;

  bool showActivityLogs = true;
  bool updateGuiControls = false;
  int selectedTab = -1;
  int visibleSlots = 0;
  std::set<int> writableSlots;
  bool mainTabVisible = false;
  bool monitorTabVisible = false;
  bool balanceSequenceVisible = false;

 private:
  CountingPollingTimer& timer_;
};

}  // namespace qvm::test
