// SPDX-License-Identifier: MIT
#include "balancing/balance_tool_header.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qvm {

BalanceToolHeader::BalanceToolHeader(SharedState& state, QWidget* parent)
    : QWidget(parent), state_(state) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  lblQVMDevice = new QLabel(this);
  lblQVMDevice->setObjectName("lblQVMDevice");
  QFont title = lblQVMDevice->font();
  title.setBold(true);
  lblQVMDevice->setFont(title);
  layout->addWidget(lblQVMDevice);

  auto* row = new QHBoxLayout;
  fraDaisyChainWriteMode = new QGroupBox("Write to", this);
  fraDaisyChainWriteMode->setObjectName("fraDaisyChainWriteMode");
  auto* modes = new QVBoxLayout(fraDaisyChainWriteMode);
  for (int i = 0; i < 2; ++i) {
    optMode[i] = new QRadioButton(fraDaisyChainWriteMode);
    optMode[i]->setObjectName(QString("optMode%1").arg(i));
    modes->addWidget(optMode[i]);
  }
  connect(optMode[1], &QRadioButton::toggled, this, [this](bool all) {
    fraDeviceNumber->setVisible(!all);
    emit modeChanged(all);
  });
  row->addWidget(fraDaisyChainWriteMode);
  fraDeviceNumber = new QGroupBox("Device Number", this);
  fraDeviceNumber->setObjectName("fraDeviceNumber");
  cboDeviceNumber = new QComboBox(fraDeviceNumber);
  cboDeviceNumber->setObjectName("cboDeviceNumber");
  (new QVBoxLayout(fraDeviceNumber))->addWidget(cboDeviceNumber);
  connect(cboDeviceNumber, &QComboBox::activated, this, &BalanceToolHeader::cboDeviceNumber_Click);
  row->addWidget(fraDeviceNumber);
  row->addStretch();
  layout->addLayout(row);
  optMode[0]->setChecked(true);
}

BalanceToolButtons AddBalanceToolButtons(QDialog* dialog, QBoxLayout* layout) {
  const auto make = [dialog](const char* caption, const char* name) {
    auto* button = new QPushButton(caption, dialog);
    button->setObjectName(name);
    return button;
  };
  const BalanceToolButtons buttons{make("Read All", "cbReadAll"), make("Write All", "cbWriteAll"),
                                   make("Close Window", "OKButton")};
  auto* row = new QHBoxLayout;
  row->addWidget(buttons.readAll);
  row->addWidget(buttons.writeAll);
  row->addStretch();
  row->addWidget(buttons.close);
  layout->addLayout(row);
  QObject::connect(buttons.close, &QPushButton::clicked, dialog, &QDialog::accept);
  return buttons;
}

void BalanceToolHeader::SetCaptions(const std::string& partName, const QString& title) {
  const QString part = QString::fromStdString(partName);
  lblQVMDevice->setText(part + title);
  optMode[0]->setText("Single " + part);
  optMode[1]->setText("All " + part + "'s");
}

bool BalanceToolHeader::AllDevices() const {
  return optMode[1]->isChecked();
}

void BalanceToolHeader::cboDeviceNumber_Click(int index) {
  if (state_.SuppressControlEvents) return;
  state_.SelectedDevice =
      static_cast<std::int16_t>(index == cboDeviceNumber->count() - 1 ? 15 : index);
  state_.SuppressControlEvents = true;
  if (onDeviceChosen) onDeviceChosen(index);
  state_.SuppressControlEvents = false;
}

}  // namespace qvm
