// SPDX-License-Identifier: MIT
#include "console/register_editor.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "console/register_row.h"
#include "console/shown_value_box.h"
#include "core/hex.h"
#include "operations/register_page.h"
#include "ui/display_locale.h"
#include "ui/led_indicator.h"
#include "ui/name_lines.h"

namespace qvm {

namespace {

constexpr int kNameWidth = 150;
constexpr int kNameLines = 2;
constexpr int kBitWidth = 44;
// Bit names stay at this legible size; a long one wraps over up to three lines.
constexpr double kBitNameScale = 0.72;
constexpr int kBitNameLines = 3;
constexpr int kToggleWidth = 30;
constexpr int kRowButtonWidth = 58;
const QColor kReadColour(0x80, 0xFF, 0x80);
const QColor kSendColour(0xC0, 0xC0, 0xC0);

QString Name(const char* base, int index) {
  return QString("%1%2").arg(base).arg(index);
}

// Keeps the columns of all rows aligned when a control of one row is hidden.
void RetainSpace(QWidget* widget) {
  QSizePolicy policy = widget->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  widget->setSizePolicy(policy);
}

QFont SmallFont(const QWidget* widget, double ratio) {
  QFont font = widget->font();
  font.setPointSizeF(font.pointSizeF() * ratio);
  return font;
}

}  // namespace

RegisterEditor::RegisterEditor(Session& session, RegisterSlotHooks hooks, TimeOfDay timeOfDay,
                               QWidget* parent)
    : QWidget(parent),
      session_(session),
      timeOfDay_(std::move(timeOfDay)),
      slots_(session.model, session.image, session.state, WithUpDown(std::move(hooks)),
             DisplayDecimalSeparator()) {
  setObjectName("RegisterEditor");
  BuildRows();
  for (int row = 0; row < kSlotsPerTab; ++row) fmRegCtrls[static_cast<std::size_t>(row)]->hide();
  cbReadRegs->hide();
  cbWriteRegs->hide();
}

RegisterSlotHooks RegisterEditor::WithUpDown(RegisterSlotHooks hooks) {
  hooks.upDownSet = [this, outer = std::move(hooks.upDownSet)](int slot, int value) {
    if (slot >= 0 && slot < kSlotsPerTab && updnRegData[static_cast<std::size_t>(slot)]) {
      updnRegData[static_cast<std::size_t>(slot)]->setValue(value);
    }
    if (outer) outer(slot, value);
  };
  return hooks;
}

void RegisterEditor::BuildRows() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(3);
  for (int row = 0; row < kSlotsPerTab; ++row) layout->addWidget(BuildRow(row));

  auto* groupButtons = new QHBoxLayout;
  groupButtons->addStretch(1);
  cbReadRegs = new QPushButton("Read Group", this);
  cbReadRegs->setObjectName("cbReadRegs");
  cbWriteRegs = new QPushButton("Write Group", this);
  cbWriteRegs->setObjectName("cbWriteRegs");
  for (QPushButton* button : {cbReadRegs, cbWriteRegs}) {
    button->setMinimumWidth(2 * kRowButtonWidth);
    RetainSpace(button);
    groupButtons->addWidget(button);
  }
  connect(cbReadRegs, &QPushButton::clicked, this, [this] { cbReadRegs_Click(); });
  connect(cbWriteRegs, &QPushButton::clicked, this, [this] { cbWriteRegs_Click(); });
  layout->addLayout(groupButtons);
  layout->addStretch(1);
}

QFrame* RegisterEditor::BuildRow(int row) {
  const auto r = static_cast<std::size_t>(row);
  auto* frame = new QFrame(this);
  frame->setObjectName(Name("fmRegCtrls", row));
  frame->setFrameShape(QFrame::StyledPanel);
  fmRegCtrls[r] = frame;
  auto* grid = new QGridLayout(frame);
  grid->setContentsMargins(6, 2, 6, 2);
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(1);

  lblRegName[r] = new QLabel(frame);
  lblRegName[r]->setObjectName(Name("lblRegName", row));
  QFont bold = lblRegName[r]->font();
  bold.setBold(true);
  lblRegName[r]->setFont(bold);
  lblRegAddr[r] = new QLabel(frame);
  lblRegAddr[r]->setObjectName(Name("lblRegAddr", row));
  lblRegAddr[r]->setFont(SmallFont(frame, 0.85));
  for (QLabel* label : {lblRegName[r], lblRegAddr[r]}) label->setFixedWidth(kNameWidth);
  grid->addWidget(lblRegName[r], 0, 0);
  grid->addWidget(lblRegAddr[r], 1, 0);

  // Bit 13 on the left, bit 0 on the right, as a register is written.
  for (int bit = 0; bit < kBitsPerRegister; ++bit) {
    const int index = row * kBitsPerRegister + bit;
    const auto i = static_cast<std::size_t>(index);
    const int column = kBitsPerRegister - bit;
    auto* name = new QLabel(frame);
    name->setObjectName(Name("lblBitName", index));
    name->setFont(SmallFont(frame, kBitNameScale));
    name->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    name->setFixedWidth(kBitWidth);
    RetainSpace(name);
    lblBitName[i] = name;
    auto* toggle = new ToneButton("0", LedColour(Colour::Grey), frame);
    toggle->setObjectName(Name("cbRegToggleBit", index));
    toggle->setFixedSize(kToggleWidth, 20);
    toggle->setFocusPolicy(Qt::TabFocus);
    toggle->setToolTip(QString("bit %1").arg(bit));
    RetainSpace(toggle);
    cbRegToggleBit[i] = toggle;
    connect(toggle, &QPushButton::clicked, this, [this, index] { cbRegToggleBit_Click(index); });
    grid->addWidget(name, 0, column, Qt::AlignHCenter | Qt::AlignBottom);
    grid->addWidget(toggle, 1, column, Qt::AlignHCenter);
  }

  auto* value = new QHBoxLayout;
  value->setSpacing(1);
  tbRegdata[r] = new OverwriteEdit(frame);
  tbRegdata[r]->setObjectName(Name("tbRegdata", row));
  tbRegdata[r]->setFixedWidth(fontMetrics().horizontalAdvance("MMMM") + 12);
  tbRegdata[r]->setAlignment(Qt::AlignCenter);
  updnRegData[r] = new QSpinBox(frame);
  updnRegData[r]->setObjectName(Name("updnRegData", row));
  updnRegData[r]->setRange(kUpDownMin, kUpDownMax);
  updnRegData[r]->setDisplayIntegerBase(16);
  updnRegData[r]->setFixedWidth(20);
  updnRegData[r]->setToolTip("Step the value");
  for (QWidget* widget :
       {static_cast<QWidget*>(tbRegdata[r]), static_cast<QWidget*>(updnRegData[r])}) {
    RetainSpace(widget);
    value->addWidget(widget);
  }
  value->addStretch(1);
  connect(tbRegdata[r], &OverwriteEdit::keyHandled, this, [this, row] { ValueEdited(row, 3); });
  connect(tbRegdata[r], &OverwriteEdit::deleteReleased, this, [this, row] { ValueEdited(row, 2); });
  connect(updnRegData[r], &QSpinBox::valueChanged, this, [this, row] { updnRegData_Change(row); });
  grid->addLayout(value, 0, kBitsPerRegister + 1);

  auto* decoded = new QHBoxLayout;
  decoded->setSpacing(3);
  lblRegDecodedLabel[r] = new QLabel(frame);
  lblRegDecodedLabel[r]->setObjectName(Name("lblRegDecodedLabel", row));
  lblRegDecodedLabel[r]->setFixedWidth(48);
  lblRegDecodedLabel[r]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  tbRegDecodedVal[r] = new QLineEdit(frame);
  tbRegDecodedVal[r]->setObjectName(Name("tbRegDecodedVal", row));
  tbRegDecodedVal[r]->setReadOnly(true);
  tbRegDecodedVal[r]->setFixedWidth(fontMetrics().horizontalAdvance("-00000.0000") + 8);
  tbRegDecodedVal[r]->setAlignment(Qt::AlignRight);
  lblRegDecodedUnits[r] = new QLabel(frame);
  lblRegDecodedUnits[r]->setObjectName(Name("lblRegDecodedUnits", row));
  lblRegDecodedUnits[r]->setFixedWidth(36);
  for (QWidget* widget :
       {static_cast<QWidget*>(lblRegDecodedLabel[r]), static_cast<QWidget*>(tbRegDecodedVal[r]),
        static_cast<QWidget*>(lblRegDecodedUnits[r])}) {
    widget->setFont(SmallFont(frame, 0.85));
    RetainSpace(widget);
    decoded->addWidget(widget);
  }
  decoded->addStretch(1);
  grid->addLayout(decoded, 1, kBitsPerRegister + 1);

  cbRead[r] = new ToneButton("Read", kReadColour, frame);
  cbRead[r]->setObjectName(Name("cbRead", row));
  cbWrite[r] = new ToneButton("Write", kSendColour, frame);
  cbWrite[r]->setObjectName(Name("cbWrite", row));
  for (QPushButton* button : {cbRead[r], cbWrite[r]}) {
    button->setFixedWidth(kRowButtonWidth);
    RetainSpace(button);
  }
  connect(cbRead[r], &QPushButton::clicked, this, [this, row] { cbRead_Click(row); });
  connect(cbWrite[r], &QPushButton::clicked, this, [this, row] { cbWrite_Click(row); });
  grid->addWidget(cbRead[r], 0, kBitsPerRegister + 2);
  grid->addWidget(cbWrite[r], 1, kBitsPerRegister + 2);
  grid->setColumnStretch(kBitsPerRegister + 1, 1);
  return frame;
}

void RegisterEditor::ShowTab(int tab) {
  selectedTab_ = tab;
  slots_.selectedTab = tab + 1;
  const int type = session_.state.SelectedDeviceType;
  const bool known = type >= 0 && type < kDeviceTypes && tab >= 0 && tab < kMaxTabs;
  bool readable = false;
  bool writable = false;
  for (int row = 0; row < kSlotsPerTab; ++row) {
    const auto r = static_cast<std::size_t>(row);
    const int reg = known ? session_.model.type[static_cast<std::size_t>(type)]
                                .TabRegister[static_cast<std::size_t>(tab)][r]
                          : -1;
    if (reg >= 0 && reg < kRegisterCount) LayOutRow(row, reg);
    slots_.LoadSlot(row);
    const bool shown = slots_.rows[r].visible;
    fmRegCtrls[r]->setHidden(!shown);
    if (!shown) continue;
    const RowLayout layout = RowLayoutFor(session_.model.RegKind(type, reg));
    readable = readable || layout.readable;
    writable = writable || layout.writable;
  }
  cbReadRegs->setHidden(!readable);
  cbWriteRegs->setHidden(!writable);
  RepaintRows();
}

void RegisterEditor::LayOutRow(int row, int reg) {
  const auto r = static_cast<std::size_t>(row);
  const int type = session_.state.SelectedDeviceType;
  const RegisterTables& tables = session_.model.type[static_cast<std::size_t>(type)];
  const auto x = static_cast<std::size_t>(reg);
  const RowLayout layout = RowLayoutFor(tables.RegKind[x]);

  // Long names wrap, and end in an ellipsis past two lines; the tooltip keeps the whole name.
  const QString name = QString::fromStdString(tables.RegName[x]);
  lblRegName[r]->setText(NameLines(name, lblRegName[r]->fontMetrics(), kNameWidth - 4, kNameLines));
  lblRegName[r]->setToolTip(name);
  lblRegAddr[r]->setText(QString::fromStdString(RegAddrText(reg)));
  for (int bit = 0; bit < kBitsPerRegister; ++bit) {
    const auto i = static_cast<std::size_t>(row * kBitsPerRegister + bit);
    const bool shown = bit < layout.bitsShown;
    const QString bitName =
        QString::fromStdString(tables.BitName[x][static_cast<std::size_t>(bit)]);
    lblBitName[i]->setText(
        NameLines(bitName, lblBitName[i]->fontMetrics(), kBitWidth - 2, kBitNameLines));
    lblBitName[i]->setToolTip(bitName);
    lblBitName[i]->setHidden(!shown);
    cbRegToggleBit[i]->setHidden(!shown);
  }
  tbRegdata[r]->setHidden(!layout.valueShown);
  updnRegData[r]->setHidden(!layout.valueShown);
  cbRead[r]->setText(layout.send ? "Send" : "Read");
  cbRead[r]->SetTone(layout.send ? kSendColour : kReadColour);
  cbWrite[r]->setHidden(!layout.writable);
  lblRegDecodedLabel[r]->setText(QString::fromStdString(tables.RegDecodedLabel[x]));
  lblRegDecodedUnits[r]->setText(QString::fromStdString(tables.RegDecodedUnits[x]));
}

bool RegisterEditor::RegisterSlotVisible(int row) const {
  return row >= 0 && row < kSlotsPerTab && !fmRegCtrls[static_cast<std::size_t>(row)]->isHidden();
}

bool RegisterEditor::RegisterSlotWritable(int row) const {
  return RegisterSlotVisible(row) && !cbWrite[static_cast<std::size_t>(row)]->isHidden() &&
         slots_.rows[static_cast<std::size_t>(row)].freshness.known;
}

void RegisterEditor::ShowRegisterSlot(int row, const std::string& hexValue) {
  if (row < 0 || row >= kSlotsPerTab) return;
  slots_.rows[static_cast<std::size_t>(row)].tbRegdata = hexValue;
  slots_.UpdateOtherControls(5, row);
  RepaintRow(row);
}

void RegisterEditor::cbRead_Click(int row) {
  ReadRegisterRow(session_, row);
  RepaintRows();
}

void RegisterEditor::cbWrite_Click(int row) {
  WriteRegisterRow(session_, row);
  RepaintRows();
}

void RegisterEditor::cbReadRegs_Click() {
  ReadRegisterGroup(session_);
  RepaintRows();
}

void RegisterEditor::cbWriteRegs_Click() {
  WriteRegisterGroup(session_);
  RepaintRows();
}

void RegisterEditor::cbRegToggleBit_Click(int index) {
  if (index < 0 || index >= kRowBits) return;
  const int row = index / kBitsPerRegister;
  BitToggle& toggle = slots_.rows[static_cast<std::size_t>(row)]
                          .bits[static_cast<std::size_t>(index % kBitsPerRegister)];
  const bool set = toggle.caption == "1";
  toggle.caption.assign(1, set ? '0' : '1');
  toggle.colour = set ? Colour::Grey : Colour::Green;
  slots_.UpdateOtherControls(1, index);
  RepaintRow(row);
}

void RegisterEditor::updnRegData_Change(int row) {
  if (session_.state.UpDownUpdating || row < 0 || row >= kSlotsPerTab) return;
  const auto r = static_cast<std::size_t>(row);
  const int value = updnRegData[r]->value();
  slots_.rows[r].updnRegData = value;
  slots_.rows[r].tbRegdata = HexDigits(static_cast<std::uint32_t>(value), 4);
  slots_.UpdateOtherControls(4, row);
  RepaintRow(row);
}

void RegisterEditor::ValueEdited(int row, int kind) {
  slots_.rows[static_cast<std::size_t>(row)].tbRegdata =
      tbRegdata[static_cast<std::size_t>(row)]->text().toStdString();
  slots_.UpdateOtherControls(kind, row);
  RepaintRow(row);
}

void RegisterEditor::RepaintRow(int row) {
  const auto r = static_cast<std::size_t>(row);
  const RegisterSlot& slot = slots_.rows[r];
  ShowValue(tbRegdata[r], {slot.tbRegdata, slot.freshness}, timeOfDay_);
  // A blank value is not written: the device would get a value nobody saw.
  cbWrite[r]->setEnabled(slot.freshness.known);
  for (int bit = 0; bit < kBitsPerRegister; ++bit) {
    const BitToggle& toggle = slot.bits[static_cast<std::size_t>(bit)];
    ToneButton* button = cbRegToggleBit[r * kBitsPerRegister + static_cast<std::size_t>(bit)];
    button->setText(QString::fromStdString(toggle.caption));
    button->SetTone(LedColour(toggle.colour));
  }
  {
    const QSignalBlocker blocker(updnRegData[r]);
    updnRegData[r]->setValue(slot.updnRegData);
  }
  lblRegDecodedLabel[r]->setHidden(!slot.decodedVisible);
  lblRegDecodedUnits[r]->setHidden(!slot.decodedVisible);
  tbRegDecodedVal[r]->setHidden(!slot.decodedVisible);
  ShowValue(tbRegDecodedVal[r], {slot.tbRegDecodedVal, slot.freshness}, timeOfDay_);
}

void RegisterEditor::RepaintRows() {
  for (int row = 0; row < kSlotsPerTab; ++row) RepaintRow(row);
}

}  // namespace qvm
