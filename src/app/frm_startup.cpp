#include "app/frm_startup.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

#include "console/generic_vb_diag.h"

namespace qvm {

FrmStartup::FrmStartup(GenericVbDiag& console, QWidget* parent)
    : QWidget(parent), console_(console) {
  setObjectName("frmStartup");
  setWindowTitle("BMS Evaluation Board");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      new QLabel("Connect Velquist USB Evaluation Board, then select Option :Connected", this));
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

  Timer1.setInterval(1500);
  connect(&Timer1, &QTimer::timeout, this, &FrmStartup::BlinkStatus);
  BlinkStatus();

  console_.session().bridge.BoardFamilyName.clear();
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

void FrmStartup::BlinkStatus() {
  statusBright_ = !statusBright_;
  QPalette palette = Shpstatus->palette();
  palette.setColor(QPalette::Window,
                   statusBright_ ? QColor(0x00, 0xFF, 0x00) : QColor(0x00, 0x80, 0x00));
  Shpstatus->setPalette(palette);
}

void FrmStartup::cboDeviceSelect_Click(int index) {
  Timer1.start();
  QCoreApplication::processEvents();
  if (index == 0) {
    lblAction->hide();
    return;
  }
  Timer1.stop();
  QCoreApplication::processEvents();
  lblAction->setText("Initializing Power up and digital devices ... this will take a few seconds");
  lblAction->show();
  QCoreApplication::processEvents();
  Bridge& bridge = console_.session().bridge;
  bridge.BoardFamilyName = "BMS ";
  bridge.MessageTitle = bridge.BoardFamilyName + " Evaluation Board";
  if (!bridge.EvbConnected) bridge.OpenBridge();
  readBack_ = RunPortBringUp(bridge);
  Shpstatus->hide();
  QCoreApplication::processEvents();
  hide();
  console_.show();
}

}  // namespace qvm
