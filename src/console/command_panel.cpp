// SPDX-License-Identifier: MIT
#include "console/command_panel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "console/page_widgets.h"
#include "operations/bulk_reads.h"

namespace qvm {

namespace {
constexpr int kColumns = 2;
}  // namespace

CommandPanel::CommandPanel(Session& session, CommandPanelHooks hooks, QWidget* parent)
    : QGroupBox("Daisy Chain Commands", parent), session_(session), hooks_(std::move(hooks)) {
  setObjectName("fraDaisyChainCommands");
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->setSpacing(3);
  layout->addLayout(grid);
  int at = 0;
  const auto place = [&](QPushButton* button) {
    grid->addWidget(button, at / kColumns, at % kColumns);
    ++at;
  };
  const auto command = [this](const PanelCommand& panel) {
    return [this, panel] { RunPanelCommand(session_, panel); };
  };

  place(cbScanAllVolts = AddButton("cbScanAllVolts", "Scan Volts", command(kScanAllVolts)));
  place(cbScanAllTemps = AddButton("cbScanAllTemps", "Scan Temps", command(kScanAllTemps)));
  place(cbScanAllMixed = AddButton("cbScanAllMixed", "Scan Mixed", command(kScanAllMixed)));
  place(cbScanAllWires = AddButton("cbScanAllWires", "Scan Wires", command(kScanAllWires)));
  place(cbScanAllAll = AddButton("cbScanAllAll", "Scan All", command(kScanAllAll)));
  place(cbScanAllContinuous =
            AddButton("cbScanAllContinuous", "Scan Cont.", command(kScanAllContinuous)));
  place(cbScanAllInhibit = AddButton("cbScanAllInhibit", "Scan Inhibit", command(kScanAllInhibit)));
  place(cbBalEnableAll = AddButton("cbBalEnableAll", "Bal. Enable", command(kBalEnableAll)));
  place(cbBalInhibitAll = AddButton("cbBalInhibitAll", "Bal. Inhibit", command(kBalInhibitAll)));
  place(cbDaisyChainSleep = AddButton("cbDaisyChainSleep", "Sleep", command(kDaisyChainSleep)));
  place(cbDaisyChainWake = AddButton("cbDaisyChainWake", "Wake", command(kDaisyChainWake)));
  place(cbClearAllFaults = AddButton("cbClearAllFaults", "Clear All Faults",
                                     [this] { cbClearAllFaults_Click(); }));
  place(cbReadAllVolts = AddButton("cbReadAllVolts", "Read Volts",
                                   [this] { ReadAllVolts(session_, hooks_.addToCharts); }));
  place(cbReadAllTemps =
            AddButton("cbReadAllTemps", "Read Temps", [this] { ReadAllTemps(session_); }));
  place(cbReadAllFaults =
            AddButton("cbReadAllFaults", "Read Faults", [this] { ReadAllFaults(session_); }));
  place(cbReadAllSetup =
            AddButton("cbReadAllSetup", "Read Setups", [this] { ReadAllSetups(session_); }));
  place(cbReadAllRegs =
            AddButton("cbReadAllRegs", "Read All Regs", [this] { ReadAllRegs(session_); }));
  cmdSendMeasure = AddButton("cmdSendMeasure", "Send Meas", [this] {
    if (session_.bridge.EvbConnected) {
      RunPanelCommand(session_, kSendMeasure);
    } else {
      session_.LogLine(std::string(kSendMeasure.procedure) +
                       ": EVB not detected. Please check connections.");
    }
  });
  place(cmdSendMeasure);
  cmdSendMeasure->setVisible(false);

  auto* upr = new QHBoxLayout;
  for (int index = 0; index < 2; ++index) {
    cmdUPRRead[index] = AddButton(index == 0 ? "cmdUPRRead0" : "cmdUPRRead1",
                                  index == 0 ? "UPR0 Read" : "UPR1 Read",
                                  [this, index] { cmdUPRRead_Click(index); });
    upr->addWidget(cmdUPRRead[index]);
  }
  Frupr = new QGroupBox("UPR", this);
  Frupr->setObjectName("Frupr");
  auto* lamps = new QHBoxLayout(Frupr);
  for (int index = 0; index < 2; ++index) {
    ledUPRStatus[index] = MakeLed(Frupr, "ledUPRStatus", index);
    lamps->addWidget(ledUPRStatus[index]);
  }
  upr->addWidget(Frupr);
  layout->addLayout(upr);
  layout->addStretch();
  ShowUprControls(false);
}

QPushButton* CommandPanel::AddButton(const char* name, const char* caption,
                                     const std::function<void()>& run) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(name);
  connect(button, &QPushButton::clicked, this, run);
  return button;
}

void CommandPanel::ShowUprControls(bool show) {
  for (QWidget* widget : {static_cast<QWidget*>(cmdUPRRead[0]),
                          static_cast<QWidget*>(cmdUPRRead[1]), static_cast<QWidget*>(Frupr)}) {
    widget->setVisible(show);
  }
}

ClearFaultsView CommandPanel::ClearFaultsPaint() {
  ClearFaultsView paint;
  paint.greyUprStatus = [this] { ledUPRStatus[0]->SetColour(Colour::Grey); };
  paint.redrawRegisterPage = hooks_.redrawRegisterPage;
  return paint;
}

UprStatusView CommandPanel::UprView() {
  UprStatusView paint;
  paint.blink = [this] {
    LedIndicator* led = ledUPRStatus[0];
    led->SetColour(led->colour() == LedColour(Colour::Green) ? Colour::Yellow : Colour::Green);
  };
  paint.showFault = [this] { ledUPRStatus[0]->SetColour(Colour::Red); };
  paint.selectStatusTab = hooks_.selectStatusTab;
  paint.addToCharts = hooks_.addToCharts;
  return paint;
}

void CommandPanel::cbClearAllFaults_Click() {
  ClearAllFaults(session_, ClearFaultsPaint());
}

void CommandPanel::cmdUPRRead_Click(int index) {
  ReadUPRBuffers(session_, index, UprView());
}

}  // namespace qvm
