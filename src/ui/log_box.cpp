#include "ui/log_box.h"

#include <QCoreApplication>
#include <QTextCursor>

#include "ui/display_refresh.h"

namespace qvm {

LogBox::LogBox(QWidget* parent) : QPlainTextEdit(parent) {
  // Cleared through QPlainTextEdit itself: what was gathered goes too.
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    if (!flushing_ && document()->isEmpty()) pending_.clear();
  });
}

void LogBox::Append(const QString& text) {
  pending_ += text;
  if (flushQueued_) return;
  flushQueued_ = true;
  QCoreApplication::postEvent(this, new QEvent(DisplayRefreshEventType()));
}

bool LogBox::event(QEvent* event) {
  if (event->type() != DisplayRefreshEventType()) return QPlainTextEdit::event(event);
  flushQueued_ = false;
  Flush();
  return true;
}

QString LogBox::toPlainText() {
  Flush();
  return QPlainTextEdit::toPlainText();
}

void LogBox::clear() {
  pending_.clear();
  QPlainTextEdit::clear();
}

void LogBox::Flush() {
  if (pending_.isEmpty()) return;
  flushing_ = true;
  QTextCursor end(document());
  end.movePosition(QTextCursor::End);
  end.insertText(pending_);
  pending_.clear();
  flushing_ = false;
  moveCursor(QTextCursor::End);
}

}  // namespace qvm
