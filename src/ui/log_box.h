#pragma once
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QString>
#include <QTimer>

namespace qvm {

// A text log that gathers appended text and lays it out in one go when the event loop next
// runs or the display is refreshed, at most every few tens of milliseconds (laying out line by
// line costs more than the transfers that log them), or at once when its text is read or
// cleared through this class. The caret stays at the end.
class LogBox : public QPlainTextEdit {
 public:
  explicit LogBox(QWidget* parent = nullptr);

  void Append(const QString& text);
  // The whole text, the text not yet laid out included.
  QString toPlainText();
  // Empties the log, the text not yet laid out included.
  void clear();
  // Lays out the gathered text now.
  void Flush();

 protected:
  bool event(QEvent* event) override;

 private:
  void TimedFlush();

  QString pending_;
  QElapsedTimer sinceFlush_;
  QTimer lateFlush_;
  bool flushing_ = false;
  bool flushQueued_ = false;
};

}  // namespace qvm
