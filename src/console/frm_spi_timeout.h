// SPDX-License-Identifier: MIT
#pragma once
#include <QDialog>

#include "protocol/session.h"

class QLineEdit;
class QSpinBox;

namespace qvm {

// The console's SPI daisy-chain time-out dialog: OK clamps the typed microseconds to
// 100..30000, keeps twice the value as the time-out bytes and sends the set-up block at once.
class FrmSpiTimeout : public QDialog {
  Q_OBJECT
 public:
  FrmSpiTimeout(Session& session, QWidget* parent = nullptr);

  void Form_Activate();
  void OKButton_Click();
  void CancelButton_Click();

  // Takes the digits 0..9 only (and the usual editing keys).
  QLineEdit* tbSpiTimeout;
  QSpinBox* updnSpiTimeout;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Session& session_;
  // Set while one of the two controls brings the other in step.
  bool UpDownUpdating = false;
};

}  // namespace qvm
