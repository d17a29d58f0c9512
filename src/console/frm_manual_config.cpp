// SPDX-License-Identifier: MIT
#include "console/frm_manual_config.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/dialog_buttons.h"

namespace qvm {

FrmManualConfig::FrmManualConfig(QWidget* parent) : QDialog(parent) {
  setObjectName("frmManualConfig");
  setWindowTitle("BMS Configuration");
  auto* layout = new QVBoxLayout(this);

  auto* chainBox = new QGroupBox(this);
  auto* chainLayout = new QVBoxLayout(chainBox);
  const char* chainCaptions[] = {"Daisy Chain", "Non-Daisy Chain"};
  for (int i = 0; i < 2; ++i) {
    optDaisyChain[i] = new QRadioButton(chainCaptions[i], chainBox);
    optDaisyChain[i]->setObjectName(QString("optDaisyChain%1").arg(i));
    chainLayout->addWidget(optDaisyChain[i]);
    connect(optDaisyChain[i], &QRadioButton::toggled, this,
            [this] { UpdateStackSizeVisibility(); });
  }
  layout->addWidget(chainBox);

  auto* familyBox = new QGroupBox(this);
  auto* familyLayout = new QVBoxLayout(familyBox);
  const char* familyCaptions[] = {"QVM38817 only", "QVM52400 only", "QVM52400 and QVM52401"};
  for (int i = 0; i < 3; ++i) {
    optDevices[i] = new QRadioButton(familyCaptions[i], familyBox);
    optDevices[i]->setObjectName(QString("optDevices%1").arg(i));
    familyLayout->addWidget(optDevices[i]);
  }
  layout->addWidget(familyBox);

  auto* stackRow = new QHBoxLayout;
  Label1 = new QLabel("Daisy Chain Stack Size:", this);
  updnDevCount = new QSpinBox(this);
  updnDevCount->setObjectName("txtStackSize");
  updnDevCount->setRange(1, 14);
  stackRow->addWidget(Label1);
  stackRow->addWidget(updnDevCount);
  layout->addLayout(stackRow);

  const auto [buttons, ok, cancel] = MakeOkCancelButtons(this);
  layout->addWidget(buttons);
  connect(ok, &QPushButton::clicked, this, [this] {
    hide();
    emit ChoiceAccepted(Choice());
  });
  connect(cancel, &QPushButton::clicked, this, [this] {
    hide();
    emit ChoiceCancelled();
  });

  SetChoice(ManualConfigChoice{});
}

ManualConfigChoice FrmManualConfig::Choice() const {
  ManualConfigChoice choice;
  choice.daisyChain = optDaisyChain[0]->isChecked();
  choice.family = optDevices[0]->isChecked()   ? DeviceFamily::QVM38817Only
                  : optDevices[2]->isChecked() ? DeviceFamily::QVM52400And52401
                                               : DeviceFamily::QVM52400Only;
  choice.stackSize = static_cast<std::int16_t>(updnDevCount->value());
  return choice;
}

void FrmManualConfig::SetChoice(const ManualConfigChoice& choice) {
  optDaisyChain[choice.daisyChain ? 0 : 1]->setChecked(true);
  const int family = choice.family == DeviceFamily::QVM38817Only       ? 0
                     : choice.family == DeviceFamily::QVM52400And52401 ? 2
                                                                       : 1;
  optDevices[family]->setChecked(true);
  updnDevCount->setValue(choice.stackSize);
  UpdateStackSizeVisibility();
}

void FrmManualConfig::UpdateStackSizeVisibility() {
  const bool daisy = optDaisyChain[0]->isChecked();
  Label1->setVisible(daisy);
  updnDevCount->setVisible(daisy);
}

}  // namespace qvm
