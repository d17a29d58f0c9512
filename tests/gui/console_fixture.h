// SPDX-License-Identifier: MIT
#pragma once
#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <memory>
#include <string>
#include <vector>

#include "app/frm_startup.h"
#include "bench/frm_main_f340.h"
#include "console/generic_vb_diag.h"
#include "console/qt_host.h"
#include "core/clock.h"
#include "sim/chain/simulated_evb.h"
#include "sim/simulated_source.h"

namespace qvm::test {

// A console on a simulated board in virtual time; every prompt is recorded and answered
// Cancel/No.
class ConsoleOnSimulatedBoard {
 public:
  // `faults` is a --sim-faults list; `settingsFile` holds the console's remembered settings
  // (empty: the test mode's, never the user's).
  explicit ConsoleOnSimulatedBoard(const std::string& chainText, const std::string& faults = {},
                                   const std::string& settingsFile = {}) {
    std::string error;
    evb = faults.empty() ? sim::MakeSimulatedEvb(chainText, clock, error)
                         : sim::MakeSimulatedSource({chainText, faults}, clock, error);
    if (!evb) throw std::runtime_error(error);
    host.SetPumpInterval(clock, kConsolePumpIntervalMs);
    host.SetAnswerHook([this](const QtHost::Prompt& prompt) {
      prompts.push_back(prompt.text);
      return QtHost::Answer{};
    });
    ConsoleDeps deps{*evb->bus, host, clock, QVM_BIN_DIR};
    deps.settingsFile = settingsFile;
    console = std::make_unique<GenericVbDiag>(deps);
    console->FormLoad();
    bench = std::make_unique<FrmMainF340>(console->session());
    console->AttachBenchWindow(*bench);
  }

  // Fills in and confirms the manual configuration dialog.
  void ConfirmConfiguration(bool daisyChain, int family, int stackSize) {
    FrmManualConfig& dialog = console->manualConfig();
    dialog.optDaisyChain[daisyChain ? 0 : 1]->click();
    dialog.optDevices[family]->click();
    dialog.updnDevCount->setValue(stackSize);
    dialog.findChild<QPushButton*>("OKButton")->click();
  }

  VirtualClock clock;
  std::optional<sim::SimulatedEvb> evb;
  QtHost host;
  std::vector<std::string> prompts;
  std::unique_ptr<GenericVbDiag> console;
  std::unique_ptr<FrmMainF340> bench;
};

}  // namespace qvm::test
