#pragma once
#include <QTimer>
#include <QWidget>

#include "bench/port_bringup.h"

class QComboBox;
class QLabel;

namespace qvm {

class GenericVbDiag;

// The program's first window: the user confirms that the evaluation board is attached, the
// bridge board's ports are set up for it and the console takes over.
class FrmStartup : public QWidget {
  Q_OBJECT
 public:
  explicit FrmStartup(GenericVbDiag& console, QWidget* parent = nullptr);

  void cboDeviceSelect_Click(int index);
  const BringUpReadBack& lastReadBack() const { return readBack_; }

  QComboBox* cboDeviceSelect;
  QLabel* lblAction;
  QWidget* Shpstatus;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BlinkStatus();

  GenericVbDiag& console_;
  QTimer Timer1;
  bool statusBright_ = false;
  BringUpReadBack readBack_;
};

}  // namespace qvm
