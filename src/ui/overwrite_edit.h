// SPDX-License-Identifier: MIT
#pragma once
#include <QLineEdit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace qvm {

// An overwrite entry field: its text, caret and selection as the editing rule sees them.
struct HexFieldState {
  std::string text;
  int caret = 0;           // 0 .. text length
  int selectionStart = 0;  // meaningful when selectionLength > 0
  int selectionLength = 0;
};

inline constexpr char kHexKeyBackspace = '\b';
inline constexpr char kHexKeyEscape = '\x1b';

// Largest value the register value box holds.
inline constexpr unsigned kHexFieldMax = 0x3FFF;

// How many digits a field keeps and the largest value it takes, if any.
struct HexFieldShape {
  std::size_t digits;
  std::optional<unsigned> max;
};

// The register value box: four digits up to 0x3FFF.
inline constexpr HexFieldShape kRegisterValueField{4, kHexFieldMax};

// Overwrite entry of at most `shape.digits` hexadecimal digits: Backspace, 0-9, A-F (a-f taken
// upper case) and Escape (back to all zeros) edit the field; the result has no selection. Any
// other key is discarded and yields nothing. A value above the shape's maximum gets "3" as its
// first digit.
std::optional<HexFieldState> ApplyHexFieldKey(const HexFieldState& field, char key,
                                              const HexFieldShape& shape = kRegisterValueField);

// The same overwrite entry for `digits` decimal digits: 0-9, Backspace and Escape (all zeros);
// a value above `max` is replaced by `max`.
std::optional<HexFieldState> ApplyDecimalFieldKey(const HexFieldState& field, char key,
                                                  std::size_t digits, std::uint32_t max);

// An editing rule: the field after `key`, or nothing when the key is discarded.
using FieldRule = std::function<std::optional<HexFieldState>(const HexFieldState&, char)>;

// A line edit that only ever changes through its editing rule for character keys, pasted text
// and input-method text. Navigation keys and Delete keep their usual behaviour.
class OverwriteEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit OverwriteEdit(QWidget* parent = nullptr, HexFieldShape shape = kRegisterValueField);
  OverwriteEdit(QWidget* parent, FieldRule rule);

  // Feeds `text` to the editing rule one character at a time, as typed keys.
  void PasteText(const QString& text);

 signals:
  // A key (or pasted text) changed the field through the editing rule or a native edit.
  void keyHandled();
  // The Delete key was released.
  void deleteReleased();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  HexFieldState State() const;
  // Applies `key`; true when the rule took it.
  bool Apply(char key);

  FieldRule rule_;
};

}  // namespace qvm
