// SPDX-License-Identifier: MIT
#include "ui/overwrite_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <algorithm>

namespace qvm {

namespace {

std::optional<char> HexDigitKey(char key) {
  if (key >= '0' && key <= '9') return key;
  if (key >= 'A' && key <= 'F') return key;
  if (key >= 'a' && key <= 'f') return static_cast<char>(key - 'a' + 'A');
  return std::nullopt;
}

// Value of the leading hexadecimal digits of `text`.
unsigned long HexValue(const std::string& text) {
  unsigned long value = 0;
  for (const char c : text) {
    const auto digit = HexDigitKey(c);
    if (!digit) break;
    const int d = *digit <= '9' ? *digit - '0' : *digit - 'A' + 10;
    value = value * 16 + static_cast<unsigned long>(d);
    if (value > 0xFFFFFFFFul) break;
  }
  return value;
}

// Keeps the last `digits` characters, moving the caret with the text.
void KeepLastDigits(HexFieldState& field, std::size_t digits) {
  if (field.text.size() <= digits) return;
  const int cut = static_cast<int>(field.text.size() - digits);
  field.text.erase(0, static_cast<std::size_t>(cut));
  field.caret = std::max(0, field.caret - cut);
}

void Backspace(HexFieldState& field) {
  if (field.selectionLength > 0) {
    field.text.erase(static_cast<std::size_t>(field.selectionStart),
                     static_cast<std::size_t>(field.selectionLength));
    field.caret = field.selectionStart;
  } else if (field.caret > 0) {
    field.text.erase(static_cast<std::size_t>(field.caret - 1), 1);
    --field.caret;
  }
  if (field.text.empty()) {
    field.text = "0";
    field.caret = 1;
  }
}

std::optional<char> DecimalDigitKey(char key) {
  if (key >= '0' && key <= '9') return key;
  return std::nullopt;
}

void TypeDigit(HexFieldState& field, char digit, std::size_t digits) {
  const int length = static_cast<int>(field.text.size());
  if (field.selectionLength > 0) {
    field.text.replace(static_cast<std::size_t>(field.selectionStart),
                       static_cast<std::size_t>(field.selectionLength), 1, digit);
    field.caret = field.selectionStart + 1;
  } else if (field.caret >= length) {
    field.text.push_back(digit);
    field.caret = static_cast<int>(field.text.size());
  } else {
    field.text[static_cast<std::size_t>(field.caret)] = digit;
    ++field.caret;
  }
  KeepLastDigits(field, digits);
}

// Brings caret and selection inside the text.
HexFieldState Clamped(const HexFieldState& field) {
  HexFieldState out = field;
  const int length = static_cast<int>(out.text.size());
  out.caret = std::clamp(out.caret, 0, length);
  out.selectionStart = std::clamp(out.selectionStart, 0, length);
  out.selectionLength = std::clamp(out.selectionLength, 0, length - out.selectionStart);
  return out;
}

// Escape, Backspace or a digit of `digitKey`'s alphabet, as the overwrite fields take them.
std::optional<HexFieldState> ApplyOverwriteKey(const HexFieldState& field, char key,
                                               std::size_t digits,
                                               std::optional<char> (*digitKey)(char)) {
  HexFieldState out = Clamped(field);
  if (key == kHexKeyEscape) {
    out = HexFieldState{std::string(digits, '0'), 0, 0, 0};
    key = '0';
  }
  if (key == kHexKeyBackspace) {
    Backspace(out);
  } else if (const auto digit = digitKey(key)) {
    TypeDigit(out, *digit, digits);
  } else {
    return std::nullopt;
  }
  out.selectionStart = 0;
  out.selectionLength = 0;
  return out;
}

}  // namespace

std::optional<HexFieldState> ApplyDecimalFieldKey(const HexFieldState& field, char key,
                                                  std::size_t digits, std::uint32_t max) {
  std::optional<HexFieldState> out = ApplyOverwriteKey(field, key, digits, DecimalDigitKey);
  if (!out) return out;
  std::uint64_t value = 0;
  for (const char c : out->text) {
    value = std::min<std::uint64_t>(value * 10 + static_cast<std::uint64_t>(c - '0'), 1ull << 40);
  }
  if (value > max) {
    out->text = std::to_string(max);
    out->caret = static_cast<int>(out->text.size());
  }
  return out;
}

std::optional<HexFieldState> ApplyHexFieldKey(const HexFieldState& field, char key,
                                              const HexFieldShape& shape) {
  std::optional<HexFieldState> result = ApplyOverwriteKey(field, key, shape.digits, HexDigitKey);
  if (!result) return result;
  HexFieldState& out = *result;
  if (shape.max && HexValue(out.text) > *shape.max) {
    const std::size_t keep = std::min<std::size_t>(3, out.text.size());
    out.text = "3" + out.text.substr(out.text.size() - keep);
    out.caret = std::min(out.caret + 1, static_cast<int>(out.text.size()));
  }
  return out;
}

OverwriteEdit::OverwriteEdit(QWidget* parent, HexFieldShape shape)
    : OverwriteEdit(parent, [shape](const HexFieldState& field, char key) {
        return ApplyHexFieldKey(field, key, shape);
      }) {}

OverwriteEdit::OverwriteEdit(QWidget* parent, FieldRule rule)
    : QLineEdit(parent), rule_(std::move(rule)) {
  // Dropped text would bypass the editing rule.
  setAcceptDrops(false);
}

HexFieldState OverwriteEdit::State() const {
  HexFieldState state;
  state.text = text().toStdString();
  state.caret = cursorPosition();
  if (hasSelectedText()) {
    state.selectionStart = selectionStart();
    state.selectionLength = selectionLength();
  }
  return state;
}

bool OverwriteEdit::Apply(char key) {
  const auto next = rule_(State(), key);
  if (!next) return false;
  setText(QString::fromStdString(next->text));
  setCursorPosition(next->caret);
  return true;
}

void OverwriteEdit::PasteText(const QString& text) {
  bool changed = false;
  for (const QChar c : text) {
    if (c.unicode() < 0x80 && Apply(static_cast<char>(c.unicode()))) changed = true;
  }
  if (changed) emit keyHandled();
}

void OverwriteEdit::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste)) {
    PasteText(QApplication::clipboard()->text());
    return;
  }
  if (event->matches(QKeySequence::Cut)) {
    if (!hasSelectedText()) return;
    copy();
    if (Apply(kHexKeyBackspace)) emit keyHandled();
    return;
  }
  std::optional<char> key;
  if (event->key() == Qt::Key_Backspace) {
    key = kHexKeyBackspace;
  } else if (event->key() == Qt::Key_Escape) {
    key = kHexKeyEscape;
  } else if (event->key() != Qt::Key_Delete && event->text().size() == 1 &&
             event->text()[0].isPrint()) {
    const char16_t c = event->text()[0].unicode();
    key = c < 0x80 ? static_cast<char>(c) : '\0';
  }
  if (key) {
    // Character keys never reach the line edit itself.
    if (Apply(*key)) emit keyHandled();
    return;
  }
  const QString before = text();
  QLineEdit::keyPressEvent(event);
  if (event->key() != Qt::Key_Delete && text() != before) emit keyHandled();
}

void OverwriteEdit::keyReleaseEvent(QKeyEvent* event) {
  QLineEdit::keyReleaseEvent(event);
  if (event->key() == Qt::Key_Delete && !event->isAutoRepeat()) emit deleteReleased();
}

void OverwriteEdit::inputMethodEvent(QInputMethodEvent* event) {
  PasteText(event->commitString());
  event->accept();
}

void OverwriteEdit::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* copyAction = menu.addAction("Copy", this, &QLineEdit::copy);
  copyAction->setEnabled(hasSelectedText());
  menu.addAction("Paste", this, [this] { PasteText(QApplication::clipboard()->text()); });
  menu.addSeparator();
  menu.addAction("Select All", this, &QLineEdit::selectAll);
  menu.exec(event->globalPos());
}

}  // namespace qvm
