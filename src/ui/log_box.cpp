// SPDX-License-Identifier: MIT
#include "ui/log_box.h"

#include <QCoreApplication>
#include <QLatin1StringView>
#include <QTextCursor>
#include <algorithm>

#include "ui/display_refresh.h"

namespace qvm {

LogBox::LogBox(QWidget* parent) : QPlainTextEdit(parent) {
  // A scroll bar that came and went with the text would resize the page and lay out the lines
  // again each time the log is emptied and filled.
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Read-only: nothing to undo, and each appended line would otherwise be recorded for it.
  document()->setUndoRedoEnabled(false);
  // Cleared through QPlainTextEdit itself: what was gathered goes too.
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    if (!flushing_ && document()->isEmpty()) pending_.clear();
  });
}

void LogBox::Append(const QString& text) {
  pending_ += text;
  QueueFlush();
}

void LogBox::AppendUtf8(std::string_view text) {
  const bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  const auto size = static_cast<qsizetype>(text.size());
  if (ascii) {
    pending_ += QLatin1StringView(text.data(), size);
  } else {
    pending_ += QString::fromUtf8(text.data(), size);
  }
  QueueFlush();
}

void LogBox::QueueFlush() {
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
  // Polling empties every log each tick; an empty one has nothing to lay out again.
  if (pending_.isEmpty() && document()->isEmpty()) return;
  pending_.clear();
  QPlainTextEdit::clear();
}

void LogBox::Flush() {
  if (pending_.isEmpty()) return;
  flushing_ = true;
  QTextCursor end(document());
  end.movePosition(QTextCursor::End);
  end.insertText(pending_);
  // Emptied with its capacity kept for the next batch.
  pending_.resize(0);
  flushing_ = false;
  moveCursor(QTextCursor::End);
}

}  // namespace qvm
