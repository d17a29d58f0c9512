// SPDX-License-Identifier: MIT
#pragma once
#include <QTimer>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;

namespace qvm {

class FrmMainF340;
class GenericVbDiag;
class LedIndicator;

// The program's first window: the user confirms that the evaluation board is attached, the
// bridge board's ports are set up for it and the console takes over.
class FrmStartup : public QWidget {
  Q_OBJECT
 public:
  FrmStartup(GenericVbDiag& console, FrmMainF340& bench, QWidget* parent = nullptr);

  void cboDeviceSelect_Click(int index);
  // "Show Battery Board  GPIO": the port set-up alone, without the console.
  void Command3_Click();

  QComboBox* cboDeviceSelect;
  QLabel* lblAction;
  // Says so while the simulated board is in use.
  QLabel* lblBoard;
  QWidget* Shpstatus;
  QCheckBox* chkTRDetail;
  // Attachment indicator: light red once a transfer found the link lost.
  LedIndicator* ShpAttach;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BlinkStatus();
  void EnsureBenchLoaded();
  void SetBoardNames();
  // Reset of the bench's port display and the evaluation board's pin set-up on ports 0..2.
  void ApplyPinTable(bool gpioVariant);

  GenericVbDiag& console_;
  FrmMainF340& bench_;
  QTimer Timer1;
  bool statusBright_ = false;
  bool benchLoaded_ = false;
};

}  // namespace qvm
