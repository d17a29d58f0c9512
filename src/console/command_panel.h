// SPDX-License-Identifier: MIT
#pragma once
#include <QGroupBox>
#include <array>
#include <functional>

#include "operations/panel_commands.h"
#include "operations/upr_buffers.h"
#include "protocol/session.h"
#include "ui/led_indicator.h"

class QPushButton;

namespace qvm {

// What the panel's buttons need of the console around them.
struct CommandPanelHooks {
  // Redraws the register page after "Clear All Faults".
  std::function<void()> redrawRegisterPage;
  // Brings the fault status tab forward when the bridge reports bad UPR polling.
  std::function<void()> selectStatusTab;
  // Takes the voltages "Read Volts" just read into the charts, with the errors met reading them.
  ChartSampleSink addToCharts;
};

// The command panel: scans, balance enable and inhibit, sleep and wake, "Clear All Faults", the
// bulk reads of every device and the bridge's UPR buffers.
class CommandPanel : public QGroupBox {
  Q_OBJECT
 public:
  CommandPanel(Session& session, CommandPanelHooks hooks, QWidget* parent = nullptr);

  // Shown only in daisy-chain mode: the UPR buffer buttons and their status frame.
  void ShowUprControls(bool show);
  // How UPR buffer reads and "Clear All Faults" paint this panel, for whoever runs them.
  UprStatusView UprView();
  ClearFaultsView ClearFaultsPaint();

  QPushButton* cbScanAllVolts;
  QPushButton* cbScanAllTemps;
  QPushButton* cbScanAllMixed;
  QPushButton* cbScanAllWires;
  QPushButton* cbScanAllAll;
  QPushButton* cbScanAllContinuous;
  QPushButton* cbScanAllInhibit;
  QPushButton* cmdSendMeasure;
  QPushButton* cbBalEnableAll;
  QPushButton* cbBalInhibitAll;
  QPushButton* cbDaisyChainSleep;
  QPushButton* cbDaisyChainWake;
  QPushButton* cbClearAllFaults;
  QPushButton* cbReadAllVolts;
  QPushButton* cbReadAllTemps;
  QPushButton* cbReadAllFaults;
  QPushButton* cbReadAllSetup;
  QPushButton* cbReadAllRegs;
  std::array<QPushButton*, 2> cmdUPRRead{};
  QGroupBox* Frupr;
  std::array<LedIndicator*, 2> ledUPRStatus{};

 private:
  QPushButton* AddButton(const char* name, const char* caption, const std::function<void()>& run);
  void cbClearAllFaults_Click();
  void cmdUPRRead_Click(int index);

  Session& session_;
  CommandPanelHooks hooks_;
};

}  // namespace qvm
