#pragma once
#include <QLineEdit>
#include <cstddef>
#include <optional>
#include <string>

namespace qvm {

// A hexadecimal entry field: its text, caret and selection as the editing rule sees them.
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

// A line edit that only ever changes through ApplyHexFieldKey for character keys, pasted text
// and input-method text. Navigation keys and Delete keep their usual behaviour.
class HexOverwriteEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit HexOverwriteEdit(QWidget* parent = nullptr, HexFieldShape shape = kRegisterValueField);

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

  HexFieldShape shape_;
};

}  // namespace qvm
