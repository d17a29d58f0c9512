// SPDX-License-Identifier: MIT
#pragma once
#include <QDialog>
#include <array>

#include "balancing/balance_tool_header.h"
#include "model/shared_state.h"
#include "protocol/session.h"
#include "ui/overwrite_edit.h"
#include "ui/tone_button.h"

class QPushButton;
class QSpinBox;

namespace qvm {

inline constexpr int kBalanceBankCells = 12;

// The balance sequence tool: the thirteen banks of the selected primary device, each a set of
// twelve cells, read and written bank by bank or all at once, or written to every device.
class FrmBalanceSequence : public QDialog {
  Q_OBJECT
 public:
  explicit FrmBalanceSequence(Session& session, QWidget* parent = nullptr);

  // Kinds: 1 a bit toggle clicked (x = toggle index), 2/3 the bank text changed, 4 the up/down,
  // 5 a bank read from the device (x = bank).
  void CellBalUpdateOtherControls(int kind, int x);
  void cbRegToggleBit_Click(int index);
  void cbRead_Click(int bank);
  void cbWrite_Click(int bank);
  void cbReadAll_Click();
  void cbWriteAll_Click();

  // Title, write mode and device list.
  BalanceToolHeader* header;
  std::array<OverwriteEdit*, kBalanceBanks> tbRegdata{};
  std::array<ToneButton*, kBalanceBanks * kBalanceBankCells> cbRegToggleBit{};
  std::array<QSpinBox*, kBalanceBanks> updnRegData{};
  std::array<QPushButton*, kBalanceBanks> cbRead{};
  std::array<QPushButton*, kBalanceBanks> cbWrite{};
  QPushButton* cbReadAll;
  QPushButton* cbWriteAll;
  QPushButton* OKButton;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ApplyMode(bool allDevices);
  int BankValue(int bank) const;
  void SetToggle(int index, bool set);
  void RegDataToBits(int bank);
  void RegDataToUpDown(int bank);
  void RegDataToRegArray(int bank);
  void BitsToRegData(int index);

  Session& session_;
  // Raised while code sets an up/down value.
  bool upDownUpdating_ = false;
};

}  // namespace qvm
