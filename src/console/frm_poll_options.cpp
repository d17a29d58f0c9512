#include "console/frm_poll_options.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

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

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* quick = buttons->addButton("Quick Setup", QDialogButtonBox::ActionRole);
  quick->setObjectName("cmdQuickSetup");
  QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
  ok->setObjectName("OKButton");
  QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  cancel->setObjectName("CancelButton");
  layout->addWidget(buttons);
  connect(quick, &QPushButton::clicked, this, [this] { SetBoxes(QuickSetupBoxes(Boxes())); });
  connect(ok, &QPushButton::clicked, this, &FrmPollOptions::OKButton_Click);
  connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
}

PollOptionBoxes FrmPollOptions::Boxes() const {
  PollOptionBoxes boxes;
  boxes.upr = chkPollUPR->isChecked();
  boxes.scanAll = chkPollScanAll->isChecked();
  boxes.scanMixed = chkScanMixed->isChecked();
  boxes.scanVolts = chkScanVolts->isChecked();
  boxes.scanTemps = chkScanTemps->isChecked();
  boxes.scanWires = chkScanWires->isChecked();
  boxes.readVolts = chkReadVolts->isChecked();
  boxes.readTemps = chkReadTemps->isChecked();
  boxes.readFaults = chkReadFaults->isChecked();
  boxes.readSetups = chkReadSetups->isChecked();
  boxes.autoStart = ChkStartPoll->isChecked();
  return boxes;
}

void FrmPollOptions::SetBoxes(const PollOptionBoxes& boxes) {
  chkPollUPR->setChecked(boxes.upr);
  chkPollScanAll->setChecked(boxes.scanAll);
  chkScanMixed->setChecked(boxes.scanMixed);
  chkScanVolts->setChecked(boxes.scanVolts);
  chkScanTemps->setChecked(boxes.scanTemps);
  chkScanWires->setChecked(boxes.scanWires);
  chkReadVolts->setChecked(boxes.readVolts);
  chkReadTemps->setChecked(boxes.readTemps);
  chkReadFaults->setChecked(boxes.readFaults);
  chkReadSetups->setChecked(boxes.readSetups);
  ChkStartPoll->setChecked(boxes.autoStart);
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
