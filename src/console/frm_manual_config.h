// SPDX-License-Identifier: MIT
#pragma once
#include <QDialog>
#include <functional>

#include "config/manual_configuration.h"

class QRadioButton;
class QSpinBox;
class QLabel;

namespace qvm {

// "BMS Configuration": what is on the board. Shown without blocking; OK hands the choice to
// the console.
class FrmManualConfig : public QDialog {
  Q_OBJECT
 public:
  explicit FrmManualConfig(QWidget* parent = nullptr);

  ManualConfigChoice Choice() const;
  void SetChoice(const ManualConfigChoice& choice);

  QRadioButton* optDaisyChain[2];
  QRadioButton* optDevices[3];
  QSpinBox* updnDevCount;
  QLabel* Label1;

 signals:
  void ChoiceAccepted(const qvm::ManualConfigChoice& choice);
  void ChoiceCancelled();

 private:
  void UpdateStackSizeVisibility();
};

}  // namespace qvm
