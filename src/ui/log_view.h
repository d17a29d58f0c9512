// SPDX-License-Identifier: MIT
#pragma once
#include <QAbstractScrollArea>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ui/ascii_glyphs.h"
#include "ui/log_lines.h"

namespace qvm {

// A read-only text log that keeps its lines itself and paints only those in view, wrapped at the
// view's width. Appending stores the text at once; the scroll bar and the picture follow when the
// display is next brought up to date, scrolled to the end unless the user scrolled up. Whole
// lines are selected with the mouse (Shift extends) and copied with Ctrl+C or the context menu.
class LogView : public QAbstractScrollArea {
 public:
  explicit LogView(QWidget* parent = nullptr);

  void Append(const QString& text);
  // UTF-8 text; plain ASCII, as the traffic lines are, is stored as it comes.
  void AppendUtf8(std::string_view text);
  // Lines joined by LF.
  QString toPlainText() const;
  void clear();
  // At least 1: an empty log is one empty line, and text ending in a line end leaves one.
  int LineCount() const { return static_cast<int>(lines_.Count()); }
  // The oldest lines are dropped beyond `lines`; 0 keeps every line.
  void SetMaximumLineCount(int lines);

  QString SelectedText() const;
  void SelectAll();
  // The selected lines to the clipboard.
  void Copy() const;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // A line in view and where its top is in the viewport.
  struct ShownLine {
    std::size_t index;
    int y;
  };
  // Selected lines as indexes into lines_, first to last.
  struct Span {
    std::size_t first;
    std::size_t last;
  };

  // Asks for the scroll bar and the picture to follow when the display is next brought up to date.
  void QueueRefresh();
  // Sets the scroll bar to the lines (at the end while following it) and repaints.
  void Refresh();
  void MeasureFont();
  QString LineText(std::size_t index) const;
  // Rows the line takes at the view's width.
  int RowsOf(std::size_t index) const;
  // The same for a line whose width, if it is plain ASCII, is `plainWidth`.
  int RowsOf(std::size_t index, std::optional<double> plainWidth) const;
  int TextWidth() const;
  // The smallest first line that still shows the last one.
  int LastTopLine() const;
  // Calls `visit(index, y, rows, plainWidth)` for each line in view, top to bottom.
  template <typename Visit>
  void ForEachShownLine(Visit visit) const;
  // What the view shows, to compare: its width, where the rows start, and each line in view with
  // its selection.
  void DescribePicture(std::string& out) const;
  // The first line in view.
  ShownLine TopLine() const;
  // The line under a point of the viewport; scrolls a line when the point is above or below it.
  std::size_t LineAt(int y);
  std::optional<Span> Selection() const;
  void SelectTo(std::size_t index, bool extend);

  LogLines lines_;
  // Selection ends as line numbers counted from the first line since the last clear, so that
  // dropped lines do not move it.
  std::optional<std::uint64_t> anchor_;
  std::uint64_t cursor_ = 0;
  bool selecting_ = false;
  bool followEnd_ = true;
  bool refreshing_ = false;
  bool refreshQueued_ = false;
  // Dropped() when the scroll bar was last set, to keep a scrolled-up view on its lines.
  std::uint64_t droppedAtRefresh_ = 0;
  // The picture of the last paint, and of the refresh being made.
  std::string painted_;
  std::string picture_;
  int lineHeight_ = 1;
  double ascent_ = 0;
  // Plain lines are measured and drawn with these.
  std::unique_ptr<AsciiGlyphs> glyphs_;
};

}  // namespace qvm
