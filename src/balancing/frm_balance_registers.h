// SPDX-License-Identifier: MIT
#pragma once
#include <QDialog>
#include <array>

#include "balancing/balance_tool_header.h"
#include "operations/balance_values.h"
#include "protocol/session.h"
#include "ui/overwrite_edit.h"

class QPushButton;
class QSpinBox;

namespace qvm {

// The balance value registers tool: the twelve 28-bit balance values of the selected primary
// device in hexadecimal and decimal, read and written cell by cell or all at once, or written
// to every device of the chain.
class FrmBalanceRegisters : public QDialog {
  Q_OBJECT
 public:
  explicit FrmBalanceRegisters(Session& session, QWidget* parent = nullptr);

  // Kinds: 2/3 the hexadecimal box changed, 4 the up/down, 5 a fresh value, 6/7 the decimal box.
  void BalRegsUpdateOtherControls(int kind, int cell);
  void cbRead_Click(int cell);
  void cbWrite_Click(int cell);
  void cbReadAll_Click();
  void cbWriteAll_Click();

  // Title, write mode and device list.
  BalanceToolHeader* header;
  std::array<OverwriteEdit*, kBalanceCells> tbRegdataHex{};
  std::array<OverwriteEdit*, kBalanceCells> tbRegdataDec{};
  std::array<QSpinBox*, kBalanceCells> updnRegData{};
  std::array<QPushButton*, kBalanceCells> cbRead{};
  std::array<QPushButton*, kBalanceCells> cbWrite{};
  QPushButton* cbReadAll;
  QPushButton* cbWriteAll;
  QPushButton* OKButton;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ApplyMode(bool allDevices);
  // The cell's value as its hexadecimal box holds it.
  std::uint32_t HexValue(int cell) const;
  void ShowValueRead(int cell);

  Session& session_;
  // Raised while code sets an up/down value.
  bool upDownUpdating_ = false;
};

}  // namespace qvm
