// SPDX-License-Identifier: MIT
#include "app/frm_startup.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "bench/frm_main_f340.h"
#include "bench/port_bringup.h"
#include "console/generic_vb_diag.h"
#include "protocol/board_init.h"
#include "ui/led_indicator.h"

namespace qvm {

FrmStartup::FrmStartup(GenericVbDiag& console, FrmMainF340& bench, QWidget* parent)
    : QWidget(parent), console_(console), bench_(bench) {
  setObjectName("frmStartup");
  // The console's clock dialog and the bench window show one clock list.
  FrmSpiClockSpeed& clockDialog = console_.spiClockSpeed();
  clockDialog.onClockListChosen = [this](int index) { bench_.ChooseClockListItem(index); };
  bench_.onClockListFilled = [&clockDialog](const std::vector<SpiClockItem>& items, int selected) {
    clockDialog.SetClockList(items, selected);
  };
  console_.onBoardListRefilled = [this](int boardCount) { bench_.cboEVB_init(boardCount); };
  const std::string boardNote = console_.BoardNote();
  setWindowTitle(boardNote.empty() ? QString("BMS Evaluation Board")
                                   : QString::fromStdString("BMS Evaluation Board - " + boardNote));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      new QLabel("Connect Velquist USB Evaluation Board, then select Option :Connected", this));
  lblBoard = new QLabel(this);
  lblBoard->setObjectName("lblBoard");
  lblBoard->setText(QString::fromStdString("Running on the " + boardNote +
                                           ": no USB board is used. Select Option :Connected."));
  lblBoard->setVisible(!boardNote.empty());
  layout->addWidget(lblBoard);
  auto* row = new QHBoxLayout;
  cboDeviceSelect = new QComboBox(this);
  cboDeviceSelect->setObjectName("cboDeviceSelect");
  row->addWidget(cboDeviceSelect);
  row->addWidget(new QLabel("<- Select Option", this));
  Shpstatus = new QWidget(this);
  Shpstatus->setObjectName("Shpstatus");
  Shpstatus->setFixedSize(16, 16);
  Shpstatus->setAutoFillBackground(true);
  row->addWidget(Shpstatus);
  layout->addLayout(row);
  lblAction = new QLabel(this);
  lblAction->setObjectName("lblAction");
  layout->addWidget(lblAction);

  auto* buttons = new QHBoxLayout;
  auto* command1 = new QPushButton("Show HID", this);
  auto* command3 = new QPushButton("Show Battery Board  GPIO", this);
  chkTRDetail = new QCheckBox("Detailed", this);
  chkTRDetail->setObjectName("chkTRDetail");
  auto* trace = new QPushButton("Trace...", this);
  trace->setObjectName("cmdShowTrace");
  auto* about = new QPushButton("About", this);
  about->setObjectName("mnuAbout");
  ShpAttach = new LedIndicator(this);
  ShpAttach->setObjectName("ShpAttach");
  ShpAttach->setToolTip("Link attachment: light red after a lost transfer");
  buttons->addWidget(command1);
  buttons->addWidget(command3);
  buttons->addWidget(chkTRDetail);
  buttons->addWidget(trace);
  buttons->addWidget(about);
  buttons->addWidget(ShpAttach);
  layout->addLayout(buttons);
  connect(command1, &QPushButton::clicked, &bench_, &QWidget::show);
  connect(command3, &QPushButton::clicked, this, &FrmStartup::Command3_Click);
  FrmTrace& traceWindow = console_.traceWindow();
  traceWindow.DecodeFramesWith(console_.session().model, console_.session().state);
  connect(trace, &QPushButton::clicked, &traceWindow, [&traceWindow] {
    traceWindow.show();
    traceWindow.raise();
  });
  connect(about, &QPushButton::clicked, &console_, &GenericVbDiag::mnuAbout_Click);
  // "Detailed" here and in the trace window are one switch.
  connect(chkTRDetail, &QCheckBox::toggled, traceWindow.chkTraceDetailed, &QCheckBox::setChecked);
  connect(traceWindow.chkTraceDetailed, &QCheckBox::toggled, chkTRDetail, &QCheckBox::setChecked);
  console_.AttachBenchWindow(bench_);
  console_.SetCurrentForm(this);

  Timer1.setInterval(1500);
  connect(&Timer1, &QTimer::timeout, this, &FrmStartup::BlinkStatus);
  BlinkStatus();

  console_.session().bridge.BoardFamilyName.clear();
  // The link prompts of the first scan already carry the board's title.
  console_.session().bridge.MessageTitle = "BMS  Evaluation Board";
  cboDeviceSelect->addItem("--  --  --  --  --");
  cboDeviceSelect->addItem("BMS Evaluation Board Connected");
  cboDeviceSelect->setCurrentIndex(0);
  cboDeviceSelect_Click(0);
  connect(cboDeviceSelect, &QComboBox::activated, this, &FrmStartup::cboDeviceSelect_Click);
}

// Closing the first window ends the program, whatever else is open.
void FrmStartup::closeEvent(QCloseEvent* event) {
  Timer1.stop();
  event->accept();
  QCoreApplication::quit();
}

void FrmStartup::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
    Timer1.start();
    console_.SetCurrentForm(this);
  }
  QWidget::changeEvent(event);
}

void FrmStartup::BlinkStatus() {
  statusBright_ = !statusBright_;
  QPalette palette = Shpstatus->palette();
  palette.setColor(QPalette::Window,
                   statusBright_ ? QColor(0x00, 0xFF, 0x00) : QColor(0x00, 0x80, 0x00));
  Shpstatus->setPalette(palette);
}

// The bench tool opens the bridge link when it is first needed.
void FrmStartup::EnsureBenchLoaded() {
  bench_.hide();
  if (benchLoaded_) return;
  benchLoaded_ = true;
  Bridge& bridge = console_.session().bridge;
  if (!bridge.EvbConnected) bridge.OpenBridge();
  if (bridge.EvbConnected) bench_.InitSpiControls();
}

void FrmStartup::SetBoardNames() {
  Bridge& bridge = console_.session().bridge;
  bridge.BoardFamilyName = "BMS ";
  bridge.MessageTitle = bridge.BoardFamilyName + " Evaluation Board";
}

void FrmStartup::ApplyPinTable(bool gpioVariant) {
  bench_.hide();
  bench_.cmdResetGPIO_Click();
  for (std::size_t i = 0; i < kBringUpPins.size(); ++i) {
    const int port = static_cast<int>(i / 8);
    const int pin = static_cast<int>(i % 8);
    const PinSetup& setup = kBringUpPins[i];
    bench_.SetPinCaption(port, pin, setup.caption);
    bench_.SetPin(port, PortRow::Data, pin, setup.value);
    bench_.SetPin(port, PortRow::OutputMode, pin,
                  setup.outputMode || (gpioVariant && port == 1 && pin == 0));
  }
}

void FrmStartup::cboDeviceSelect_Click(int index) {
  Timer1.start();
  QCoreApplication::processEvents();
  EnsureBenchLoaded();
  if (index == 0) {
    lblAction->hide();
    return;
  }
  Timer1.stop();
  QCoreApplication::processEvents();
  lblAction->setText("Initializing Power up and digital devices ... this will take a few seconds");
  lblAction->show();
  QCoreApplication::processEvents();
  SetBoardNames();
  ApplyPinTable(false);
  bench_.chkRandomReadWrite->setChecked(true);
  for (PortRow kind : {PortRow::Data, PortRow::OutputMode, PortRow::Data}) {
    for (int port = 0; port < 3; ++port) bench_.WriteRow(port, kind);
  }
  for (PortRow kind : {PortRow::OutputMode, PortRow::Data}) {
    for (int port = 0; port < 3; ++port) bench_.ReadRow(port, kind);
  }
  bench_.chkSpiRead->setChecked(true);
  Timer1.stop();
  Shpstatus->hide();
  QCoreApplication::processEvents();
  hide();
  console_.FormLoad();
  console_.show();
}

void FrmStartup::Command3_Click() {
  Session& session = console_.session();
  SetBoardNames();
  ApplyPinTable(true);
  bench_.cmdClearAnalog_Click();
  QCoreApplication::processEvents();
  bench_.chkRandomReadWrite->setChecked(true);
  for (int port = 0; port < 3; ++port) bench_.WriteRow(port, PortRow::OutputMode);
  WaitMs(session, 100);
  for (int port = 0; port < 3; ++port) bench_.ReadRow(port, PortRow::OutputMode);
  WaitMs(session, 100);
  for (int port = 0; port < 3; ++port) bench_.ReadRow(port, PortRow::Data);
  bench_.chkSpiRead->setChecked(true);
  WaitMs(session, 100);
  bench_.cmdClearAnalog_Click();
  Timer1.stop();
  Shpstatus->hide();
}

}  // namespace qvm
