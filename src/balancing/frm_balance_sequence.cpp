// SPDX-License-Identifier: MIT
#include "balancing/frm_balance_sequence.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/hex.h"
#include "model/leading_number.h"
#include "operations/balance_sequence.h"
#include "operations/balance_values.h"

namespace qvm {

namespace {

constexpr int kBankMask = 0xFFF;
const QColor kSetTone(0x00, 0xFF, 0x00);
const QColor kClearTone(0x7F, 0x7F, 0x7F);

QPushButton* MakeButton(QWidget* parent, const QString& caption, const QString& name) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

}  // namespace

FrmBalanceSequence::FrmBalanceSequence(Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setObjectName("frmBalanceSequence");
  auto* layout = new QVBoxLayout(this);
  header = new BalanceToolHeader(session.state, this);
  connect(header, &BalanceToolHeader::modeChanged, this, &FrmBalanceSequence::ApplyMode);
  layout->addWidget(header);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(2);
  // Cell 12 on the left, cell 1 on the right, as the bank value is written.
  for (int b = 0; b < kBalanceBankCells; ++b) {
    auto* heading = new QLabel(QString::number(b + 1), this);
    heading->setAlignment(Qt::AlignCenter);
    grid->addWidget(heading, 0, kBalanceBankCells - b);
  }
  for (int bank = 0; bank < kBalanceBanks; ++bank) {
    const int row = bank + 1;
    grid->addWidget(new QLabel(QString("Step %1").arg(bank), this), row, 0);
    for (int b = 0; b < kBalanceBankCells; ++b) {
      const int index = bank * kBalanceBankCells + b;
      auto* toggle = new ToneButton("0", kClearTone, this);
      toggle->setObjectName(QString("cbRegToggleBit%1").arg(index));
      toggle->setFixedSize(26, 20);
      cbRegToggleBit[index] = toggle;
      grid->addWidget(toggle, row, kBalanceBankCells - b);
      connect(toggle, &QPushButton::clicked, this, [this, index] { cbRegToggleBit_Click(index); });
    }
    tbRegdata[bank] = new OverwriteEdit(this, HexFieldShape{4, std::nullopt});
    tbRegdata[bank]->setObjectName(QString("tbRegdata%1").arg(bank));
    tbRegdata[bank]->setText("0000");
    tbRegdata[bank]->setAlignment(Qt::AlignCenter);
    tbRegdata[bank]->setFixedWidth(fontMetrics().horizontalAdvance("MMMM") + 12);
    updnRegData[bank] = new QSpinBox(this);
    updnRegData[bank]->setObjectName(QString("updnRegData%1").arg(bank));
    updnRegData[bank]->setRange(0, kBankMask);
    updnRegData[bank]->setFixedWidth(20);
    cbRead[bank] = MakeButton(this, "Read", QString("cbRead%1").arg(bank));
    cbWrite[bank] = MakeButton(this, "Write", QString("cbWrite%1").arg(bank));
    grid->addWidget(tbRegdata[bank], row, kBalanceBankCells + 1);
    grid->addWidget(updnRegData[bank], row, kBalanceBankCells + 2);
    grid->addWidget(cbRead[bank], row, kBalanceBankCells + 3);
    grid->addWidget(cbWrite[bank], row, kBalanceBankCells + 4);

    connect(tbRegdata[bank], &OverwriteEdit::keyHandled, this,
            [this, bank] { CellBalUpdateOtherControls(3, bank); });
    connect(tbRegdata[bank], &OverwriteEdit::deleteReleased, this,
            [this, bank] { CellBalUpdateOtherControls(2, bank); });
    connect(updnRegData[bank], &QSpinBox::valueChanged, this, [this, bank](int value) {
      if (upDownUpdating_) return;
      tbRegdata[bank]->setText(
          QString::fromStdString(HexDigits(static_cast<std::uint32_t>(value), 4)));
      CellBalUpdateOtherControls(4, bank);
    });
    connect(cbRead[bank], &QPushButton::clicked, this, [this, bank] { cbRead_Click(bank); });
    connect(cbWrite[bank], &QPushButton::clicked, this, [this, bank] { cbWrite_Click(bank); });
  }
  layout->addLayout(grid);

  const BalanceToolButtons buttons = AddBalanceToolButtons(this, layout);
  cbReadAll = buttons.readAll;
  cbWriteAll = buttons.writeAll;
  OKButton = buttons.close;
  connect(cbReadAll, &QPushButton::clicked, this, &FrmBalanceSequence::cbReadAll_Click);
  connect(cbWriteAll, &QPushButton::clicked, this, &FrmBalanceSequence::cbWriteAll_Click);
}

void FrmBalanceSequence::showEvent(QShowEvent* event) {
  const QString part = QString::fromStdString(session_.state.PartName52400);
  setWindowTitle(part + " Balance Sequence");
  header->SetCaptions(session_.state.PartName52400, " Balance Status Register Configuration Tool");
  QDialog::showEvent(event);
}

void FrmBalanceSequence::ApplyMode(bool allDevices) {
  const bool single = !allDevices;
  cbReadAll->setVisible(single);
  for (QPushButton* button : cbRead) button->setVisible(single);
}

int FrmBalanceSequence::BankValue(int bank) const {
  const std::optional<std::int32_t> value = ReadHexText(tbRegdata[bank]->text().toStdString());
  return value.value_or(0);
}

void FrmBalanceSequence::SetToggle(int index, bool set) {
  ToneButton* toggle = cbRegToggleBit[index];
  toggle->setText(set ? "1" : "0");
  toggle->SetTone(set ? kSetTone : kClearTone);
}

void FrmBalanceSequence::RegDataToBits(int bank) {
  const int value = BankValue(bank);
  for (int b = 0; b < kBalanceBankCells; ++b) {
    SetToggle(bank * kBalanceBankCells + b, (value & (1 << b)) != 0);
  }
}

void FrmBalanceSequence::RegDataToUpDown(int bank) {
  upDownUpdating_ = true;
  updnRegData[bank]->setValue(BankValue(bank) & kBankMask);
  upDownUpdating_ = false;
}

void FrmBalanceSequence::RegDataToRegArray(int bank) {
  const int device = session_.state.SelectedDevice;
  if (device < 0 || device >= kDevicesPerType) return;
  session_.state.KeepBalanceBank(device, bank, static_cast<std::int16_t>(BankValue(bank)), true);
}

void FrmBalanceSequence::BitsToRegData(int index) {
  const int bank = index / kBalanceBankCells;
  int sum = 0;
  for (int b = 0; b < kBalanceBankCells; ++b) {
    if (cbRegToggleBit[bank * kBalanceBankCells + b]->text() == "1") sum += 1 << b;
  }
  tbRegdata[bank]->setText(QString::fromStdString(HexDigits(static_cast<std::uint32_t>(sum), 4)));
}

void FrmBalanceSequence::CellBalUpdateOtherControls(int kind, int x) {
  const int bank = kind == 1 ? x / kBalanceBankCells : x;
  if (bank < 0 || bank >= kBalanceBanks) return;
  switch (kind) {
    case 1:
      BitsToRegData(x);
      RegDataToRegArray(bank);
      RegDataToUpDown(bank);
      break;
    case 2:
    case 3:
      RegDataToBits(bank);
      RegDataToRegArray(bank);
      RegDataToUpDown(bank);
      break;
    case 4:
      RegDataToBits(bank);
      RegDataToRegArray(bank);
      break;
    case 5:
      RegDataToBits(bank);
      RegDataToUpDown(bank);
      break;
    default:
      break;
  }
}

void FrmBalanceSequence::cbRegToggleBit_Click(int index) {
  if (index < 0 || index >= kBalanceBanks * kBalanceBankCells) return;
  SetToggle(index, cbRegToggleBit[index]->text() != "1");
  CellBalUpdateOtherControls(1, index);
}

void FrmBalanceSequence::cbRead_Click(int bank) {
  bank = std::clamp(bank, 0, kBalanceBanks - 1);
  const std::optional<std::int16_t> value = ReadBalanceBank(session_, bank, "cbRead_Click");
  if (!value) return;
  tbRegdata[bank]->setText(
      QString::fromStdString(HexDigits(static_cast<std::uint16_t>(*value), 4)));
  CellBalUpdateOtherControls(5, bank);
}

void FrmBalanceSequence::cbWrite_Click(int bank) {
  bank = std::clamp(bank, 0, kBalanceBanks - 1);
  WriteBalanceBank(session_, bank, static_cast<std::int16_t>(BankValue(bank)), header->AllDevices(),
                   "cbWrite_Click");
}

void FrmBalanceSequence::cbReadAll_Click() {
  if (!BalanceDevicesReachable(session_, "cbReadAll_Click")) return;
  for (int bank = 0; bank < kBalanceBanks; ++bank) cbRead_Click(bank);
}

void FrmBalanceSequence::cbWriteAll_Click() {
  if (!BalanceDevicesReachable(session_, "cbWriteAll_Click")) return;
  for (int bank = 0; bank < kBalanceBanks; ++bank) cbWrite_Click(bank);
}

}  // namespace qvm
