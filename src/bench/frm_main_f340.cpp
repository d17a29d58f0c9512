// SPDX-License-Identifier: MIT
#include "bench/frm_main_f340.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "bench/byte_fields.h"
#include "bench/port_bringup.h"
#include "bench/sfr_access.h"

namespace qvm {

namespace {

std::uint8_t Address(int port, PortRow kind) {
  const PortRegisters& regs = kPorts[port];
  return kind == PortRow::Data         ? regs.data
         : kind == PortRow::OutputMode ? regs.outputMode
                                       : regs.inputMode;
}

const char* RowName(PortRow kind) {
  return kind == PortRow::Data         ? "chkGPvalueP"
         : kind == PortRow::OutputMode ? "chkOpenCollectorP"
                                       : "chkDINP";
}

const char* RowCaption(PortRow kind) {
  return kind == PortRow::Data         ? "Data"
         : kind == PortRow::OutputMode ? "Output mode"
                                       : "Input mode";
}

const char* WriteTrace(PortRow kind) {
  return kind == PortRow::Data         ? "Write F340 GPIO Data Port:"
         : kind == PortRow::OutputMode ? "Write F340 GPIO Mode Register "
                                       : "Write F340 GPIO Analog Port:";
}

const char* ReadTrace(PortRow kind) {
  return kind == PortRow::Data         ? "Read F340 GPIO Data Port:"
         : kind == PortRow::OutputMode ? "Read F340 GPIO Mode Register "
                                       : "Read F340 GPIO Analog Port:";
}

constexpr std::array<PortRow, 3> kRowKinds = {PortRow::Data, PortRow::OutputMode,
                                              PortRow::InputMode};

}  // namespace

FrmMainF340::FrmMainF340(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
  setObjectName("frmMainF340");
  setWindowTitle("SFR Case 18 Single Byte Access");
  auto* tabs = new QTabWidget(this);
  tabs->setObjectName("tabBench");
  auto* windowLayout = new QVBoxLayout(this);
  windowLayout->addWidget(BuildBoardChoice());
  windowLayout->addWidget(tabs);
  // The ports with the register access on one page and SPI on another, so that the window fits
  // a 1366x768 screen.
  auto* portPage = new QWidget(tabs);
  auto* layout = new QVBoxLayout(portPage);
  layout->setSpacing(2);
  for (int port = 0; port < kPortCount; ++port) {
    auto* box = new QGroupBox(QString("P%1").arg(port), this);
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->setSpacing(0);
    boxLayout->setContentsMargins(6, 2, 6, 2);
    for (PortRow kind : kRowKinds) boxLayout->addWidget(BuildPortRow(port, kind));
    layout->addWidget(box);
  }
  auto* options = new QHBoxLayout;
  chkAutoWriteRead = new QCheckBox("Auto Write / Read", this);
  options->addWidget(chkAutoWriteRead);
  const std::array<std::pair<const char*, void (FrmMainF340::*)()>, 3> actions = {{
      {"Reset GPIO", &FrmMainF340::cmdResetGPIO_Click},
      {"Clear Analog", &FrmMainF340::cmdClearAnalog_Click},
      {"Write Read All", &FrmMainF340::cmdWriteReadAll_Click},
  }};
  for (const auto& [caption, handler] : actions) {
    auto* button = new QPushButton(caption, this);
    connect(button, &QPushButton::clicked, this, handler);
    options->addWidget(button);
  }
  layout->addLayout(options);
  layout->addWidget(BuildFreeAccess());
  layout->addStretch();
  tabs->addTab(portPage, "Ports / SFR");
  auto* spiPage = new QWidget(tabs);
  auto* spiLayout = new QVBoxLayout(spiPage);
  spiLayout->addWidget(BuildSpiControls());
  spiLayout->addStretch();
  tabs->addTab(spiPage, "SPI");

  i2c = new I2cPage(session_, tabs);
  chkRandomReadWrite = i2c->chkRandom;
  tabs->addTab(i2c, "I2C/SMBus");
  // The I2C page reads its settings from the board when it is first shown.
  connect(tabs, &QTabWidget::currentChanged, this, [this, tabs](int index) {
    if (tabs->widget(index) == i2c && !i2c->Initialised() && session_.bridge.EvbConnected) {
      i2c->InitI2cControls();
    }
  });
}

QWidget* FrmMainF340::BuildBoardChoice() {
  auto* box = new QGroupBox("EVB Instance", this);
  auto* layout = new QHBoxLayout(box);
  cboEVBinstance = new QComboBox(box);
  cboEVBinstance->setObjectName("cboEVBinstance");
  cmdReconnect = new QPushButton("Reconnect", box);
  cmdReconnect->setObjectName("cmdReconnect");
  layout->addWidget(cboEVBinstance);
  layout->addWidget(cmdReconnect);
  layout->addStretch();
  cboEVB_init(session_.bridge.BoardCount());
  connect(cboEVBinstance, &QComboBox::activated, this, &FrmMainF340::cboEVBinstance_Click);
  connect(cmdReconnect, &QPushButton::clicked, this, &FrmMainF340::cmdReconnect_Click);
  return box;
}

void FrmMainF340::cboEVB_init(int boardCount) {
  cboEVBinstance->clear();
  for (int instance = 0; instance < std::max(boardCount, 1); ++instance) {
    cboEVBinstance->addItem(QString::number(instance), instance);
  }
  cboEVBinstance->setCurrentIndex(0);
  cboEVBinstance_Click(0);
}

void FrmMainF340::cboEVBinstance_Click(int index) {
  session_.bridge.SelectBoard(cboEVBinstance->itemData(index).toInt());
}

void FrmMainF340::cmdReconnect_Click() {
  session_.bridge.OpenBridge();
}

QWidget* FrmMainF340::BuildPortRow(int port, PortRow kind) {
  auto* widget = new QWidget(this);
  auto* layout = new QHBoxLayout(widget);
  layout->setContentsMargins(0, 0, 0, 0);
  Row& target = row(port, kind);
  auto* caption = new QLabel(RowCaption(kind), widget);
  caption->setMinimumWidth(72);
  layout->addWidget(caption);
  for (int pin = 0; pin < 8; ++pin) {
    auto* box =
        new QCheckBox(kind == PortRow::Data ? QString("P%1.%2").arg(port).arg(pin) : "", widget);
    box->setObjectName(QString("%1%2_%3").arg(RowName(kind)).arg(port).arg(pin));
    connect(box, &QCheckBox::toggled, this, [this, port, kind] { RowChanged(port, kind); });
    target.pins[pin] = box;
    layout->addWidget(box);
  }
  target.written = new QLabel(widget);
  target.readBack = new QLabel("--", widget);
  target.status = new QLabel(widget);
  target.status->setFixedSize(14, 14);
  auto* write = new QPushButton("Write", widget);
  auto* read = new QPushButton("Read", widget);
  connect(write, &QPushButton::clicked, this, [this, port, kind] { WriteRow(port, kind); });
  connect(read, &QPushButton::clicked, this, [this, port, kind] { ReadRow(port, kind); });
  for (QWidget* part : {static_cast<QWidget*>(target.written), static_cast<QWidget*>(write),
                        static_cast<QWidget*>(read), static_cast<QWidget*>(target.readBack),
                        static_cast<QWidget*>(target.status)}) {
    layout->addWidget(part);
  }
  target.written->setText(QString::fromStdString(HexByteText(RowByte(kind, {}))));
  PaintLight(target);
  return widget;
}

QWidget* FrmMainF340::BuildFreeAccess() {
  auto* box = new QGroupBox("SFR Case 18 Single Byte Access", this);
  auto* layout = new QHBoxLayout(box);
  txtSFRAddress = new QLineEdit("80", box);
  txtSFRAddress->setObjectName("txtSFRAddress");
  txtSFRWRData = new QLineEdit("AA", box);
  txtSFRWRData->setObjectName("txtSFRWRData");
  auto* write = new QPushButton("Write SFR", box);
  auto* read = new QPushButton("Read SFR", box);
  connect(write, &QPushButton::clicked, this, &FrmMainF340::cmdSetSFR_Click);
  connect(read, &QPushButton::clicked, this, &FrmMainF340::cmdGetSDFValue_Click);
  layout->addWidget(txtSFRAddress);
  layout->addWidget(txtSFRWRData);
  layout->addWidget(write);
  layout->addWidget(read);
  for (int i = 0; i < 4; ++i) {
    lblSFRBuf[i] = new QLabel("--", box);
    layout->addWidget(lblSFRBuf[i]);
  }
  return box;
}

void FrmMainF340::SetPin(int port, PortRow kind, int pin, bool ticked) {
  row(port, kind).pins[pin]->setChecked(ticked);
}

void FrmMainF340::SetPinCaption(int port, int pin, const QString& caption) {
  row(port, PortRow::Data).pins[pin]->setText(caption);
}

void FrmMainF340::RowChanged(int port, PortRow kind) {
  Row& target = row(port, kind);
  std::array<bool, 8> ticked{};
  for (int pin = 0; pin < 8; ++pin) ticked[pin] = target.pins[pin]->isChecked();
  target.written->setText(QString::fromStdString(HexByteText(RowByte(kind, ticked))));
  if (chkAutoWriteRead->isChecked()) {
    WriteRow(port, kind);
    ReadRow(port, kind);
  }
}

void FrmMainF340::WriteRow(int port, PortRow kind) {
  const std::uint8_t address = Address(port, kind);
  const std::string value = row(port, kind).written->text().toStdString();
  txtSFRAddress->setText(QString::fromStdString(HexByteText(address)));
  Trace(WriteTrace(kind) + HexByteText(address) + (kind == PortRow::OutputMode ? " to " : " = ") +
        value);
  SfrWrite(session_.bridge, address, ParseHexByte(QString::fromStdString(value)).value_or(0));
}

void FrmMainF340::ReadRow(int port, PortRow kind) {
  Row& target = row(port, kind);
  const std::uint8_t address = Address(port, kind);
  Trace(ReadTrace(kind) + HexByteText(address));
  const SfrReadResult result = SfrRead(session_.bridge, address);
  const std::string text = HexByteText(result.value);
  if (result.sent) target.readBack->setText(QString::fromStdString(text));
  target.light =
      NextReadBackLight(target.light, result.sent, text, target.written->text().toStdString());
  PaintLight(target);
}

void FrmMainF340::PaintLight(Row& target) {
  const char* colour = "#7F7F7F";
  switch (target.light) {
    case ReadBackLight::Off:
      break;
    case ReadBackLight::LightRed:
      colour = "#FF5555";
      break;
    case ReadBackLight::BrightGreen:
      colour = "#55FF55";
      break;
    case ReadBackLight::DarkGreen:
      colour = "#00AA00";
      break;
  }
  target.status->setStyleSheet(QString("background-color: %1; border-radius: 7px;").arg(colour));
}

void FrmMainF340::cmdResetGPIO_Click() {
  Trace("Clear GPIO Bits Ports 0 to 4", false);
  for (int port = 0; port < kPortCount; ++port) {
    for (int pin = 0; pin < 8; ++pin) {
      SetPin(port, PortRow::OutputMode, pin, false);
      SetPin(port, PortRow::Data, pin, true);
      SetPin(port, PortRow::InputMode, pin, false);
    }
  }
}

void FrmMainF340::cmdClearAnalog_Click() {
  Trace("Clear Proc ADC Analog Connections Ports 0 to 4", false);
  for (int port = 0; port < kPortCount; ++port) {
    for (int pin = 0; pin < 8; ++pin) SetPin(port, PortRow::InputMode, pin, false);
  }
  for (int port = 0; port < 3; ++port) {
    WriteRow(port, PortRow::InputMode);
    ReadRow(port, PortRow::InputMode);
  }
}

void FrmMainF340::cmdWriteReadAll_Click() {
  const bool autoWasOn = chkAutoWriteRead->isChecked();
  chkAutoWriteRead->setChecked(true);
  QCoreApplication::processEvents();
  for (int port = 0; port < kPortCount; ++port) RowChanged(port, PortRow::OutputMode);
  for (int port = 0; port < kPortCount - 1; ++port) RowChanged(port, PortRow::Data);
  for (int port = 0; port < kPortCount; ++port) RowChanged(port, PortRow::InputMode);
  chkAutoWriteRead->setChecked(autoWasOn);
}

void FrmMainF340::cmdSetSFR_Click() {
  const auto address = ParseHexByte(txtSFRAddress->text());
  const auto value = ParseHexByte(txtSFRWRData->text());
  if (!address || !value) {
    session_.host.ShowMessage("SFR", "Address and data must be hexadecimal bytes (00 to FF).");
    return;
  }
  Trace("Write F340 SFR Register " + HexByteText(*address) + " = " + HexByteText(*value));
  SfrWrite(session_.bridge, *address, *value);
}

void FrmMainF340::cmdGetSDFValue_Click() {
  const auto address = ParseHexByte(txtSFRAddress->text());
  if (!address) {
    session_.host.ShowMessage("SFR", "The address must be a hexadecimal byte (00 to FF).");
    return;
  }
  Trace("Read F340 SFR Register " + HexByteText(*address));
  SfrRead(session_.bridge, *address);
  for (int i = 0; i < 4; ++i) {
    lblSFRBuf[i]->setText(QString::fromStdString(HexByteText(session_.bridge.ReportBuffer[i])));
  }
}

void FrmMainF340::Trace(const std::string& line, bool detailedOnly) {
  ConsoleView& view = session_.view;
  if (!view.TraceActive()) return;
  if (detailedOnly && !view.TraceDetailed()) return;
  view.AppendTrace(line + "\r\n");
}

}  // namespace qvm
