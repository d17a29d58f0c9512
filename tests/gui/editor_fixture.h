// SPDX-License-Identifier: MIT
#pragma once
#include <memory>
#include <stdexcept>
#include <string>

#include "../protocol/protocol_fakes.h"
#include "../records/records_fixture.h"
#include "console/read_time_of_day.h"
#include "console/register_editor.h"
#include "core/clock.h"
#include "model/tab_definition_file.h"
#include "model/tab_definitions.h"
#include "protocol/board_init.h"
#include "protocol/session.h"
#include "sim/chain/simulated_evb.h"

namespace qvm::test {

// The console's side of the protocol view as far as the register page goes.
class EditorView final : public ProtocolView {
 public:
  void AppendLog(const std::string& text) override { log += text; }
  // "Polling Update GUI Contols": replies refresh the shown rows.
  bool UpdateGuiControls() override { return updateGuiControls; }
  int SelectedTab() override { return editor ? editor->SelectedTab() : -1; }
  bool RegisterSlotVisible(int slot) override {
    return editor != nullptr && editor->RegisterSlotVisible(slot);
  }
  bool RegisterSlotWritable(int slot) override {
    return editor != nullptr && editor->RegisterSlotWritable(slot);
  }
  void ShowRegisterSlot(int slot, const std::string& hexValue) override {
    if (editor) editor->ShowRegisterSlot(slot, hexValue);
  }

  RegisterEditor* editor = nullptr;
  std::string log;
  bool updateGuiControls = true;
};

// A register editor over a session on a simulated board in virtual time, with the installed
// tab definitions.
class EditorOnSimulatedBoard {
 public:
  explicit EditorOnSimulatedBoard(const std::string& chainText)
      : evb(Build(chainText, clock)), session(*evb.bus, host, clock, view, faults, timer) {
    const TabDefFileText file = LoadTabDefinitionFile(QVM_BIN_DIR, kTabDefs52400);
    if (file.status != TabDefFileText::Status::Loaded) throw std::runtime_error(file.message);
    const TabDefParseResult parsed =
        ParseTabDefinitions(file.text, session.model, session.image, session.state);
    if (!parsed.ok) throw std::runtime_error(parsed.errorText);
    RegisterSlotHooks hooks;
    hooks.reportError = [this](const std::string& text) { errors += text + "\n"; };
    editor = std::make_unique<RegisterEditor>(session, hooks, ReadTimeOfDay(clock, localTime));
    view.editor = editor.get();
  }

  // Opens the link and numbers the chain, as Connect does.
  void Connect() {
    InitializeDriver(session);
    session.ChainModeSetting = kModeDaisyChain;
    InitializeEvb(session);
    if (!session.bridge.EvbConnected) throw std::runtime_error("board not connected");
  }

  VirtualClock clock;
  FixedLocalTime localTime;
  HookedHost host;
  CountingPollingTimer timer;
  RecordingFaultRecorder faults;
  EditorView view;
  sim::SimulatedEvb evb;
  Session session;
  std::unique_ptr<RegisterEditor> editor;
  std::string errors;

 private:
  static sim::SimulatedEvb Build(const std::string& chainText, Clock& clock) {
    std::string error;
    auto evb = sim::MakeSimulatedEvb(chainText, clock, error);
    if (!evb) throw std::invalid_argument(chainText + ": " + error);
    return *evb;
  }
};

// Tabs of the installed definitions (0-based).
inline constexpr int kTabVoltages1 = 4;
inline constexpr int kTabFaults = 7;
inline constexpr int kTabLimits = 9;
inline constexpr int kTabUserSerial = 11;
inline constexpr int kTabScanCommands = 12;
inline constexpr int kTabDeviceCommands = 13;
inline constexpr int kTabBalanceCommands = 14;

}  // namespace qvm::test
