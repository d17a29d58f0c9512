// SPDX-License-Identifier: MIT
#pragma once
#include <QWidget>
#include <array>
#include <string>

#include "model/register_model.h"
#include "model/register_slots.h"
#include "model/shown_value.h"
#include "protocol/session.h"
#include "ui/overwrite_edit.h"
#include "ui/tone_button.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace qvm {

inline constexpr int kRowBits = kSlotsPerTab * kBitsPerRegister;

// The register page: eight rows, each showing one register of the selected device with its
// bits, value, decoded value and row buttons, and the group read and write buttons.
class RegisterEditor : public QWidget {
  Q_OBJECT
 public:
  // `hooks` comes from the console (main/monitor refresh, error reports); the editor adds its
  // own upDownSet. `timeOfDay` says when a stale value was last read.
  RegisterEditor(Session& session, RegisterSlotHooks hooks, TimeOfDay timeOfDay,
                 QWidget* parent = nullptr);

  // Builds the rows of tab `tab` (0-based) for the selected device type and device.
  void ShowTab(int tab);
  // 0-based; -1 before the first ShowTab.
  int SelectedTab() const { return selectedTab_; }
  // Row frame shown (independent of the window being on screen).
  bool RegisterSlotVisible(int row) const;
  // The row offers "Write": its value is known.
  bool RegisterSlotWritable(int row) const;
  // Puts a value just read into the row and brings its bits and decoded value in step.
  void ShowRegisterSlot(int row, const std::string& hexValue);
  // The rows' state.
  RegisterSlots& registerSlots() { return slots_; }

  void cbRead_Click(int row);
  void cbWrite_Click(int row);
  void cbReadRegs_Click();
  void cbWriteRegs_Click();
  void cbRegToggleBit_Click(int index);
  void updnRegData_Change(int row);

  std::array<QFrame*, kSlotsPerTab> fmRegCtrls{};
  std::array<QLabel*, kSlotsPerTab> lblRegName{};
  std::array<QLabel*, kSlotsPerTab> lblRegAddr{};
  std::array<QLabel*, kRowBits> lblBitName{};
  std::array<ToneButton*, kRowBits> cbRegToggleBit{};
  std::array<OverwriteEdit*, kSlotsPerTab> tbRegdata{};
  std::array<QSpinBox*, kSlotsPerTab> updnRegData{};
  std::array<QLabel*, kSlotsPerTab> lblRegDecodedLabel{};
  std::array<QLabel*, kSlotsPerTab> lblRegDecodedUnits{};
  std::array<QLineEdit*, kSlotsPerTab> tbRegDecodedVal{};
  std::array<ToneButton*, kSlotsPerTab> cbRead{};
  std::array<ToneButton*, kSlotsPerTab> cbWrite{};
  QPushButton* cbReadRegs = nullptr;
  QPushButton* cbWriteRegs = nullptr;

 private:
  RegisterSlotHooks WithUpDown(RegisterSlotHooks hooks);
  void BuildRows();
  QFrame* BuildRow(int row);
  void LayOutRow(int row, int reg);
  // Text after a key in the value box, then the given update kind.
  void ValueEdited(int row, int kind);
  // Paints row `row` from its slot state; the value box keeps its caret when its text holds.
  void RepaintRow(int row);
  void RepaintRows();

  Session& session_;
  TimeOfDay timeOfDay_;
  RegisterSlots slots_;
  int selectedTab_ = -1;
};

}  // namespace qvm
