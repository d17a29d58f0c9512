// SPDX-License-Identifier: MIT
#include "balancing/frm_balance_registers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace qvm {

namespace {

constexpr std::size_t kHexDigits = 7;
constexpr std::size_t kDecDigits = 9;

QPushButton* MakeButton(QWidget* parent, const QString& caption, const QString& name) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

}  // namespace

FrmBalanceRegisters::FrmBalanceRegisters(Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setObjectName("frmBalanceRegisters");
  auto* layout = new QVBoxLayout(this);
  header = new BalanceToolHeader(session.state, this);
  connect(header, &BalanceToolHeader::modeChanged, this, &FrmBalanceRegisters::ApplyMode);
  layout->addWidget(header);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Hex", this), 0, 1);
  grid->addWidget(new QLabel("Decimal", this), 0, 2);
  for (int cell = 0; cell < kBalanceCells; ++cell) {
    const int row = cell + 1;
    grid->addWidget(new QLabel(QString("Cell %1").arg(cell + 1), this), row, 0);
    tbRegdataHex[cell] = new OverwriteEdit(this, HexFieldShape{kHexDigits, std::nullopt});
    tbRegdataHex[cell]->setObjectName(QString("tbRegdataHex%1").arg(cell));
    tbRegdataDec[cell] = new OverwriteEdit(this, [](const HexFieldState& field, char key) {
      return ApplyDecimalFieldKey(field, key, kDecDigits, kBalanceValueMax);
    });
    tbRegdataDec[cell]->setObjectName(QString("tbRegdataDec%1").arg(cell));
    for (OverwriteEdit* box : {tbRegdataHex[cell], tbRegdataDec[cell]}) {
      box->setAlignment(Qt::AlignRight);
      box->setFixedWidth(fontMetrics().horizontalAdvance("0000000000") + 12);
    }
    tbRegdataHex[cell]->setText(QString::fromStdString(BalanceHexText(0)));
    tbRegdataDec[cell]->setText(QString::fromStdString(BalanceDecText(0)));
    updnRegData[cell] = new QSpinBox(this);
    updnRegData[cell]->setObjectName(QString("updnRegData%1").arg(cell));
    updnRegData[cell]->setRange(0, static_cast<int>(kBalanceValueMax));
    updnRegData[cell]->setFixedWidth(20);
    cbRead[cell] = MakeButton(this, "Read", QString("cbRead%1").arg(cell));
    cbWrite[cell] = MakeButton(this, "Write", QString("cbWrite%1").arg(cell));
    grid->addWidget(tbRegdataHex[cell], row, 1);
    grid->addWidget(tbRegdataDec[cell], row, 2);
    grid->addWidget(updnRegData[cell], row, 3);
    grid->addWidget(cbRead[cell], row, 4);
    grid->addWidget(cbWrite[cell], row, 5);

    connect(tbRegdataHex[cell], &OverwriteEdit::keyHandled, this,
            [this, cell] { BalRegsUpdateOtherControls(3, cell); });
    connect(tbRegdataHex[cell], &OverwriteEdit::deleteReleased, this,
            [this, cell] { BalRegsUpdateOtherControls(2, cell); });
    connect(tbRegdataDec[cell], &OverwriteEdit::keyHandled, this,
            [this, cell] { BalRegsUpdateOtherControls(7, cell); });
    connect(tbRegdataDec[cell], &OverwriteEdit::deleteReleased, this,
            [this, cell] { BalRegsUpdateOtherControls(6, cell); });
    connect(updnRegData[cell], &QSpinBox::valueChanged, this, [this, cell](int value) {
      if (upDownUpdating_) return;
      tbRegdataHex[cell]->setText(
          QString::fromStdString(BalanceHexText(static_cast<std::uint32_t>(value))));
      BalRegsUpdateOtherControls(4, cell);
    });
    connect(cbRead[cell], &QPushButton::clicked, this, [this, cell] { cbRead_Click(cell); });
    connect(cbWrite[cell], &QPushButton::clicked, this, [this, cell] { cbWrite_Click(cell); });
  }
  layout->addLayout(grid);

  const BalanceToolButtons buttons = AddBalanceToolButtons(this, layout);
  cbReadAll = buttons.readAll;
  cbWriteAll = buttons.writeAll;
  OKButton = buttons.close;
  connect(cbReadAll, &QPushButton::clicked, this, &FrmBalanceRegisters::cbReadAll_Click);
  connect(cbWriteAll, &QPushButton::clicked, this, &FrmBalanceRegisters::cbWriteAll_Click);
}

void FrmBalanceRegisters::showEvent(QShowEvent* event) {
  const QString part = QString::fromStdString(session_.state.PartName52400);
  setWindowTitle(part + " Balance Value Registers");
  header->SetCaptions(session_.state.PartName52400, " Bal. Value Configuration Tool");
  for (int cell = 0; cell < kBalanceCells; ++cell) ShowValueRead(cell);
  QDialog::showEvent(event);
}

void FrmBalanceRegisters::ApplyMode(bool allDevices) {
  const bool single = !allDevices;
  cbReadAll->setVisible(single);
  for (QPushButton* button : cbRead) button->setVisible(single);
}

std::uint32_t FrmBalanceRegisters::HexValue(int cell) const {
  return BalanceValueFromHex(tbRegdataHex[cell]->text().toStdString());
}

void FrmBalanceRegisters::ShowValueRead(int cell) {
  const std::uint32_t value = BalanceValue(session_.image, session_.state.SelectedDevice, cell);
  tbRegdataHex[cell]->setText(QString::fromStdString(BalanceHexText(value)));
  BalRegsUpdateOtherControls(5, cell);
}

void FrmBalanceRegisters::BalRegsUpdateOtherControls(int kind, int cell) {
  if (cell < 0 || cell >= kBalanceCells) return;
  const bool fromDecimal = kind == 6 || kind == 7;
  const bool known = (kind >= 2 && kind <= 7);
  if (!known) return;
  if (fromDecimal) {
    const std::uint32_t value = BalanceValueFromDec(tbRegdataDec[cell]->text().toStdString());
    tbRegdataHex[cell]->setText(QString::fromStdString(BalanceHexText(value)));
  } else {
    tbRegdataDec[cell]->setText(QString::fromStdString(BalanceDecText(HexValue(cell))));
  }
  const std::uint32_t value = HexValue(cell);
  if (kind != 5) {
    StoreBalanceValue(session_.image, session_.state.SelectedDevice, cell, value);
  }
  if (kind != 4) {
    upDownUpdating_ = true;
    updnRegData[cell]->setValue(static_cast<int>(value));
    upDownUpdating_ = false;
  }
}

void FrmBalanceRegisters::cbRead_Click(int cell) {
  if (ReadBalanceValue(session_, cell, "cbRead_Click")) ShowValueRead(cell);
}

void FrmBalanceRegisters::cbWrite_Click(int cell) {
  WriteBalanceValue(session_, cell, header->AllDevices(), "cbWrite_Click");
}

void FrmBalanceRegisters::cbReadAll_Click() {
  if (!BalanceDevicesReachable(session_, "cbReadAll_Click")) return;
  for (int cell = 0; cell < kBalanceCells; ++cell) cbRead_Click(cell);
}

void FrmBalanceRegisters::cbWriteAll_Click() {
  if (!BalanceDevicesReachable(session_, "cbWriteAll_Click")) return;
  for (int cell = 0; cell < kBalanceCells; ++cell) cbWrite_Click(cell);
}

}  // namespace qvm
