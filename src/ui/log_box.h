// SPDX-License-Identifier: MIT
#pragma once
#include <QPlainTextEdit>
#include <QString>
#include <string_view>

namespace qvm {

// A text log that gathers appended text and lays it out in one go when the display is next
// brought up to date (laying out line by line costs more than the transfers that log them), or
// at once when its text is read or cleared through this class. The caret stays at the end.
class LogBox : public QPlainTextEdit {
 public:
  explicit LogBox(QWidget* parent = nullptr);

  void Append(const QString& text);
  // UTF-8 text; plain ASCII, as the traffic lines are, is taken without a copy of its own.
  void AppendUtf8(std::string_view text);
  // The whole text, the text not yet laid out included.
  QString toPlainText();
  // Empties the log, the text not yet laid out included.
  void clear();
  // Lays out the gathered text now.
  void Flush();

 protected:
  bool event(QEvent* event) override;

 private:
  // Asks for a lay-out when the display is next brought up to date.
  void QueueFlush();

  QString pending_;
  bool flushing_ = false;
  bool flushQueued_ = false;
};

}  // namespace qvm
