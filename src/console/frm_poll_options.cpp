// SPDX-License-Identifier: MIT
#include "console/frm_poll_options.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialog_buttons.h"

namespace qvm {

namespace {

QCheckBox* AddBox(QWidget* parent, QVBoxLayout* layout, const char* name, const char* caption) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  layout->addWidget(box);
  return box;
}

}  // namespace

FrmPollOptions::FrmPollOptions(SharedState& state, QWidget* parent)
    : QDialog(parent), state_(state) {
  setObjectName("frmPollOptions");
  auto* layout = new QVBoxLayout(this);

  auto* upr = new QGroupBox("Bridge", this);
  auto* uprLayout = new QVBoxLayout(upr);
  chkPollUPR = AddBox(upr, uprLayout, "chkPollUPR", "Daisy Chain Unprompted Responses (UPR)");
  ChkStartPoll = AddBox(upr, uprLayout, "ChkStartPoll",
                        "Auto Start Sequence :Use when only UPR polling is selected.");
  layout->addWidget(upr);

  auto* scans = new QGroupBox("Scans", this);
  auto* scanLayout = new QVBoxLayout(scans);
  chkPollScanAll = AddBox(scans, scanLayout, "chkPollScanAll", "Scan All");
  chkScanMixed = AddBox(scans, scanLayout, "chkScanMixed", "Scan Mixed");
  chkScanVolts = AddBox(scans, scanLayout, "chkScanVolts", "Scan Voltages");
  chkScanTemps = AddBox(scans, scanLayout, "chkScanTemps", "Scan Temperatures");
  chkScanWires = AddBox(scans, scanLayout, "chkScanWires", "Scan Wires");
  layout->addWidget(scans);

  auto* reads = new QGroupBox("Reads", this);
  auto* readLayout = new QVBoxLayout(reads);
  chkReadVolts = AddBox(reads, readLayout, "chkReadVolts", "Read All Voltages");
  chkReadTemps = AddBox(reads, readLayout, "chkReadTemps", "Read All Temperatures");
  chkReadFaults = AddBox(reads, readLayout, "chkReadFaults", "Read All Faults");
  chkReadSetups = AddBox(reads, readLayout, "chkReadSetups", "Read All Setups");
  layout->addWidget(reads);

  const auto [buttons, ok, cancel] = MakeOkCancelButtons(this);
  QPushButton* quick = buttons->addButton("Quick Setup", QDialogButtonBox::ActionRole);
  quick->setObjectName("cmdQuickSetup");
  layout->addWidget(buttons);
  connect(quick, &QPushButton::clicked, this, [this] { SetBoxes(QuickSetupBoxes(Boxes())); });
  connect(ok, &QPushButton::clicked, this, &FrmPollOptions::OKButton_Click);
  connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
}

std::array<std::pair<QCheckBox*, bool PollOptionBoxes::*>, 11> FrmPollOptions::BoxTable() const {
  return {{{chkPollUPR, &PollOptionBoxes::upr},
           {chkPollScanAll, &PollOptionBoxes::scanAll},
           {chkScanMixed, &PollOptionBoxes::scanMixed},
           {chkScanVolts, &PollOptionBoxes::scanVolts},
           {chkScanTemps, &PollOptionBoxes::scanTemps},
           {chkScanWires, &PollOptionBoxes::scanWires},
           {chkReadVolts, &PollOptionBoxes::readVolts},
           {chkReadTemps, &PollOptionBoxes::readTemps},
           {chkReadFaults, &PollOptionBoxes::readFaults},
           {chkReadSetups, &PollOptionBoxes::readSetups},
           {ChkStartPoll, &PollOptionBoxes::autoStart}}};
}

PollOptionBoxes FrmPollOptions::Boxes() const {
  PollOptionBoxes boxes;
  for (const auto& [box, field] : BoxTable()) boxes.*field = box->isChecked();
  return boxes;
}

void FrmPollOptions::SetBoxes(const PollOptionBoxes& boxes) {
  for (const auto& [box, field] : BoxTable()) box->setChecked(boxes.*field);
}

void FrmPollOptions::ShowAutoStart(bool show) {
  ChkStartPoll->setVisible(show);
  if (!show) ChkStartPoll->setChecked(false);
}

void FrmPollOptions::showEvent(QShowEvent* event) {
  setWindowTitle(QString::fromStdString(state_.PartName52400 + " Eval Polling Setup"));
  chkPollUPR->setEnabled(state_.DaisyChainMode);
  SetBoxes(PollOptionsOnActivation(state_, Boxes()));
  QDialog::showEvent(event);
}

void FrmPollOptions::OKButton_Click() {
  PollOptionBoxes boxes = Boxes();
  const bool any = ApplyPollOptionBoxes(state_, boxes);
  ChkStartPoll->setChecked(boxes.autoStart);
  hide();
  emit OptionsAccepted(any, boxes.autoStart);
}

}  // namespace qvm
