// SPDX-License-Identifier: MIT
#pragma once
#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "model/shared_state.h"

class QBoxLayout;
class QComboBox;
class QDialog;
class QPushButton;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace qvm {

// The top of both balancing tools: their title, the single-device or all-devices write mode
// and the device list, which moves the console's list along.
class BalanceToolHeader : public QWidget {
  Q_OBJECT
 public:
  BalanceToolHeader(SharedState& state, QWidget* parent = nullptr);

  // Captions from the primary part name: the options and the title `title`.
  void SetCaptions(const std::string& partName, const QString& title);
  bool AllDevices() const;
  void cboDeviceNumber_Click(int index);

  // The device list moved here: the console's list follows it.
  std::function<void(int index)> onDeviceChosen;

  QLabel* lblQVMDevice;
  std::array<QRadioButton*, 2> optMode{};
  QGroupBox* fraDaisyChainWriteMode;
  QGroupBox* fraDeviceNumber;
  QComboBox* cboDeviceNumber;

 signals:
  void modeChanged(bool allDevices);

 private:
  SharedState& state_;
};

// The buttons at the foot of both balancing tools; "Close Window" closes the dialog.
struct BalanceToolButtons {
  QPushButton* readAll;
  QPushButton* writeAll;
  QPushButton* close;
};
BalanceToolButtons AddBalanceToolButtons(QDialog* dialog, QBoxLayout* layout);

}  // namespace qvm
