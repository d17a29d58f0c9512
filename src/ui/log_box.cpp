#include "ui/log_box.h"

#include <QCoreApplication>
#include <QTextCursor>

#include "ui/display_refresh.h"

namespace qvm {

namespace {

// Least time between two lay-outs brought by the event loop: each costs far more than the lines
// it adds, and a log read by eye needs no more.
constexpr int kFlushIntervalMs = 40;

}  // namespace

LogBox::LogBox(QWidget* parent) : QPlainTextEdit(parent) {
  lateFlush_.setSingleShot(true);
  connect(&lateFlush_, &QTimer::timeout, this, [this] { TimedFlush(); });
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
  const qint64 since = sinceFlush_.isValid() ? sinceFlush_.elapsed() : kFlushIntervalMs;
  if (since >= kFlushIntervalMs) {
    TimedFlush();
  } else if (!lateFlush_.isActive()) {
    lateFlush_.start(static_cast<int>(kFlushIntervalMs - since));
  }
  return true;
}

void LogBox::TimedFlush() {
  sinceFlush_.start();
  Flush();
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
