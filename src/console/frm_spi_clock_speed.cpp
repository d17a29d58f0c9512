// SPDX-License-Identifier: MIT
#include "console/frm_spi_clock_speed.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/dialog_buttons.h"

namespace qvm {

FrmSpiClockSpeed::FrmSpiClockSpeed(Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setObjectName("frmSpiClockSpeed");
  setWindowTitle("SPI Clock Speed");
  auto* layout = new QVBoxLayout(this);

  auto* speeds = new QGroupBox("SPI Clock Speed", this);
  auto* speedLayout = new QVBoxLayout(speeds);
  auto* group = new QButtonGroup(this);
  for (std::size_t i = 0; i < optSpiClkSpeed.size(); ++i) {
    optSpiClkSpeed[i] = new QRadioButton(kSpiClockOptions[i].caption, speeds);
    optSpiClkSpeed[i]->setObjectName(QString("optSpiClkSpeed_%1").arg(i));
    group->addButton(optSpiClkSpeed[i], static_cast<int>(i));
    speedLayout->addWidget(optSpiClkSpeed[i]);
  }
  connect(group, &QButtonGroup::idClicked, this, &FrmSpiClockSpeed::optSpiClkSpeed_Click);
  layout->addWidget(speeds);

  cboSPICLock = new QComboBox(this);
  cboSPICLock->setObjectName("cboSPICLock");
  connect(cboSPICLock, &QComboBox::activated, this, [this](int index) {
    if (onClockListChosen) onClockListChosen(index);
  });
  layout->addWidget(cboSPICLock);

  const auto [buttons, ok, cancel] = MakeOkCancelButtons(this);
  connect(ok, &QPushButton::clicked, this, &FrmSpiClockSpeed::OKButton_Click);
  connect(cancel, &QPushButton::clicked, this, &FrmSpiClockSpeed::CancelButton_Click);
  layout->addWidget(buttons);
}

void FrmSpiClockSpeed::SetClockList(const std::vector<SpiClockItem>& items, int selected) {
  cboSPICLock->clear();
  for (const SpiClockItem& item : items) {
    cboSPICLock->addItem(QString::fromStdString(item.text), item.code);
  }
  cboSPICLock->setCurrentIndex(selected);
}

void FrmSpiClockSpeed::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Form_Activate();
}

void FrmSpiClockSpeed::Form_Activate() {
  pendingCode_ = session_.spi.SpiClockCode;
  // Show which speed is in force; no option is ticked for a code the table does not offer.
  QButtonGroup* group = optSpiClkSpeed[0]->group();
  group->setExclusive(false);
  for (std::size_t i = 0; i < optSpiClkSpeed.size(); ++i) {
    optSpiClkSpeed[i]->setChecked(kSpiClockOptions[i].code == pendingCode_);
  }
  group->setExclusive(true);
}

void FrmSpiClockSpeed::optSpiClkSpeed_Click(int index) {
  pendingCode_ = SpiClockCodeForOption(index);
}

void FrmSpiClockSpeed::OKButton_Click() {
  session_.spi.SpiClockCode = pendingCode_;
  hide();
}

void FrmSpiClockSpeed::CancelButton_Click() {
  hide();
}

}  // namespace qvm
