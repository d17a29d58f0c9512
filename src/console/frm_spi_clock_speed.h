// SPDX-License-Identifier: MIT
#pragma once
#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "link/spi_settings.h"
#include "protocol/session.h"

class QComboBox;
class QRadioButton;

namespace qvm {

// The console's SPI clock dialog: the chosen speed is kept for the next set-up block (the next
// Connect or time-out change); the bridge itself is not written. Its clock list mirrors the bench
// window's and writes the bridge through it.
class FrmSpiClockSpeed : public QDialog {
  Q_OBJECT
 public:
  FrmSpiClockSpeed(Session& session, QWidget* parent = nullptr);

  // The bench window's list was refilled: show the same entries and selection.
  void SetClockList(const std::vector<SpiClockItem>& items, int selected);

  void Form_Activate();
  void optSpiClkSpeed_Click(int index);
  void OKButton_Click();
  void CancelButton_Click();

  std::uint8_t PendingClockCode() const { return pendingCode_; }

  std::array<QRadioButton*, kSpiClockOptions.size()> optSpiClkSpeed{};
  QComboBox* cboSPICLock;
  // The user chose entry `index` of the dialog's list; the program hands it to the bench
  // window, which selects and writes it.
  std::function<void(int index)> onClockListChosen;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Session& session_;
  std::uint8_t pendingCode_ = 0;
};

}  // namespace qvm
