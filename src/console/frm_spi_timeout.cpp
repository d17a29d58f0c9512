// SPDX-License-Identifier: MIT
#include "console/frm_spi_timeout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

#include "link/spi_settings.h"
#include "model/leading_number.h"
#include "protocol/bridge_setup.h"
#include "ui/dialog_buttons.h"

namespace qvm {

FrmSpiTimeout::FrmSpiTimeout(Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setObjectName("frmSpiTimeout");
  setWindowTitle("SPI Daisy Chain Timeout");
  auto* layout = new QVBoxLayout(this);

  auto* entry = new QHBoxLayout;
  entry->addWidget(new QLabel("Timeout (us)", this));
  tbSpiTimeout = new QLineEdit(this);
  tbSpiTimeout->setObjectName("tbSpiTimeout");
  // Digits only, typed or pasted.
  tbSpiTimeout->setValidator(
      new QRegularExpressionValidator(QRegularExpression("[0-9]*"), tbSpiTimeout));
  entry->addWidget(tbSpiTimeout);
  updnSpiTimeout = new QSpinBox(this);
  updnSpiTimeout->setObjectName("updnSpiTimeout");
  updnSpiTimeout->setRange(kSpiTimeoutMinUs, kSpiTimeoutMaxUs);
  entry->addWidget(updnSpiTimeout);
  layout->addLayout(entry);

  connect(updnSpiTimeout, &QSpinBox::valueChanged, this, [this](int value) {
    if (UpDownUpdating) return;
    UpDownUpdating = true;
    tbSpiTimeout->setText(QString::number(value));
    UpDownUpdating = false;
  });
  connect(tbSpiTimeout, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (UpDownUpdating) return;
    UpDownUpdating = true;
    updnSpiTimeout->setValue(text.toInt());
    UpDownUpdating = false;
  });

  const auto [buttons, ok, cancel] = MakeOkCancelButtons(this);
  connect(ok, &QPushButton::clicked, this, &FrmSpiTimeout::OKButton_Click);
  connect(cancel, &QPushButton::clicked, this, &FrmSpiTimeout::CancelButton_Click);
  layout->addWidget(buttons);
}

void FrmSpiTimeout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Form_Activate();
}

void FrmSpiTimeout::Form_Activate() {
  const int us = SpiTimeoutFromBytes(session_.spi.SpiTimeoutHigh, session_.spi.SpiTimeoutLow);
  UpDownUpdating = true;
  tbSpiTimeout->setText(QString::number(us));
  updnSpiTimeout->setValue(us);
  UpDownUpdating = false;
}

void FrmSpiTimeout::OKButton_Click() {
  const SpiTimeoutBytes bytes =
      SpiTimeoutToBytes(LeadingNumber(tbSpiTimeout->text().toStdString()));
  session_.spi.SpiTimeoutHigh = bytes.high;
  session_.spi.SpiTimeoutLow = bytes.low;
  hide();
  SetupBridgeDaisy(session_);
}

void FrmSpiTimeout::CancelButton_Click() {
  hide();
}

}  // namespace qvm
