// SPDX-License-Identifier: MIT
#include "ui/log_view.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <cmath>

#include "ui/display_refresh.h"

namespace qvm {

namespace {

// Space between the frame and the text on every side.
constexpr int kMargin = 4;

bool IsCopyOrSelectAll(const QKeyEvent* key) {
  return key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll);
}

// Lays `text` out at `width` as a text box wraps it: at word boundaries, or anywhere within a
// word too long for a row.
void WrapLayout(QTextLayout& layout, double width) {
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
  }
  layout.endLayout();
}

}  // namespace

LogView::LogView(QWidget* parent) : QAbstractScrollArea(parent) {
  // A scroll bar that came and went with the text would resize the page each time the log is
  // emptied and filled.
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::IBeamCursor);
  verticalScrollBar()->setSingleStep(1);
  // Scrolled by the user: the end is followed again once the view is back at it.
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (!refreshing_) followEnd_ = value >= verticalScrollBar()->maximum();
  });
  MeasureFont();
}

void LogView::Append(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  AppendUtf8(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

void LogView::AppendUtf8(std::string_view text) {
  lines_.Append(text);
  QueueRefresh();
}

QString LogView::toPlainText() const {
  return QString::fromStdString(lines_.Joined(0, lines_.Count() - 1));
}

void LogView::clear() {
  // Polling empties every log each tick; an empty one has nothing to repaint.
  if (lines_.Empty() && !anchor_) return;
  lines_.Clear();
  anchor_.reset();
  selecting_ = false;
  droppedAtRefresh_ = 0;
  QueueRefresh();
}

void LogView::SetMaximumLineCount(int lines) {
  lines_.SetMaxLines(static_cast<std::size_t>(std::max(lines, 0)));
  QueueRefresh();
}

QString LogView::SelectedText() const {
  const std::optional<Span> span = Selection();
  if (!span) return {};
  return QString::fromStdString(lines_.Joined(span->first, span->last));
}

void LogView::SelectAll() {
  anchor_ = lines_.Dropped();
  cursor_ = lines_.Dropped() + lines_.Count() - 1;
  viewport()->update();
}

void LogView::Copy() const {
  const QString text = SelectedText();
  if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void LogView::QueueRefresh() {
  if (refreshQueued_) return;
  refreshQueued_ = true;
  QCoreApplication::postEvent(this, new QEvent(DisplayRefreshEventType()));
}

bool LogView::event(QEvent* event) {
  if (event->type() == DisplayRefreshEventType()) {
    refreshQueued_ = false;
    Refresh();
    return true;
  }
  // Ctrl+C and Ctrl+A belong to the log while it has the focus, not to a window shortcut.
  if (event->type() == QEvent::ShortcutOverride &&
      IsCopyOrSelectAll(static_cast<QKeyEvent*>(event))) {
    event->accept();
    return true;
  }
  return QAbstractScrollArea::event(event);
}

void LogView::Refresh() {
  QScrollBar* bar = verticalScrollBar();
  const auto dropped = static_cast<int>(lines_.Dropped() - droppedAtRefresh_);
  droppedAtRefresh_ = lines_.Dropped();
  refreshing_ = true;
  bar->setPageStep(std::max(1, (viewport()->height() - kMargin) / lineHeight_));
  const int before = bar->value();
  bar->setRange(0, LastTopLine());
  bar->setValue(followEnd_ ? bar->maximum() : before - dropped);
  refreshing_ = false;
  // Polling empties and refills the logs each tick, often with the same lines at the end.
  DescribePicture(picture_);
  if (picture_ != painted_) viewport()->update();
}

void LogView::MeasureFont() {
  const QFontMetricsF metrics(font());
  lineHeight_ = std::max(1, static_cast<int>(std::ceil(metrics.height())));
  ascent_ = metrics.ascent();
  glyphs_ = std::make_unique<AsciiGlyphs>(font());
}

QString LogView::LineText(std::size_t index) const {
  const std::string_view line = lines_.Line(index);
  return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
}

int LogView::TextWidth() const {
  return std::max(1, viewport()->width() - 2 * kMargin);
}

int LogView::RowsOf(std::size_t index) const {
  return RowsOf(index, glyphs_->Width(lines_.Line(index)));
}

int LogView::RowsOf(std::size_t index, std::optional<double> plainWidth) const {
  if (plainWidth && *plainWidth <= TextWidth()) return 1;
  QTextLayout layout(LineText(index), font());
  WrapLayout(layout, TextWidth());
  return std::max(1, layout.lineCount());
}

int LogView::LastTopLine() const {
  const int room = viewport()->height();
  int used = 0;
  std::size_t top = lines_.Count();
  while (top > 0) {
    used += RowsOf(top - 1) * lineHeight_;
    // The last line shows even when it is taller than the view.
    if (used + (top == 1 ? kMargin : 0) > room && top < lines_.Count()) break;
    --top;
  }
  return static_cast<int>(top);
}

template <typename Visit>
void LogView::ForEachShownLine(Visit visit) const {
  const ShownLine top = TopLine();
  int y = top.y;
  for (std::size_t i = top.index; i < lines_.Count() && y < viewport()->height(); ++i) {
    const std::optional<double> plainWidth = glyphs_->Width(lines_.Line(i));
    const int rows = RowsOf(i, plainWidth);
    visit(i, y, rows, plainWidth);
    y += rows * lineHeight_;
  }
}

void LogView::DescribePicture(std::string& out) const {
  const std::optional<Span> selection = Selection();
  const std::array<int, 2> layout = {viewport()->width(), TopLine().y};
  out.assign(reinterpret_cast<const char*>(layout.data()), sizeof layout);
  ForEachShownLine([&](std::size_t i, int, int, std::optional<double>) {
    out += selection && i >= selection->first && i <= selection->last ? '\1' : '\0';
    out += lines_.Line(i);
    out += '\n';
  });
}

void LogView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const std::optional<Span> selection = Selection();
  const QPalette& colours = palette();
  const int width = viewport()->width();
  ForEachShownLine([&](std::size_t i, int y, int rows, std::optional<double> plainWidth) {
    const bool selected = selection && i >= selection->first && i <= selection->last;
    if (selected) painter.fillRect(0, y, width, rows * lineHeight_, colours.highlight());
    painter.setPen(selected ? colours.highlightedText().color() : colours.text().color());
    if (rows == 1 && plainWidth) {
      glyphs_->Draw(painter, QPointF(kMargin, y + ascent_), lines_.Line(i));
    } else if (rows == 1) {
      painter.drawText(QPointF(kMargin, y + ascent_), LineText(i));
    } else {
      QTextLayout layout(LineText(i), font());
      WrapLayout(layout, TextWidth());
      for (int row = 0; row < layout.lineCount(); ++row) {
        layout.lineAt(row).setPosition(QPointF(0, row * lineHeight_));
      }
      layout.draw(&painter, QPointF(kMargin, y));
    }
  });
  DescribePicture(painted_);
}

void LogView::resizeEvent(QResizeEvent*) {
  Refresh();
}

void LogView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() != QEvent::FontChange) return;
  MeasureFont();
  Refresh();
}

void LogView::scrollContentsBy(int, int) {
  // A refresh repaints only when the picture changes.
  if (!refreshing_) viewport()->update();
}

void LogView::keyPressEvent(QKeyEvent* event) {
  QScrollBar* bar = verticalScrollBar();
  if (event->matches(QKeySequence::Copy)) {
    Copy();
  } else if (event->matches(QKeySequence::SelectAll)) {
    SelectAll();
  } else if (event->matches(QKeySequence::MoveToStartOfDocument)) {
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
  } else if (event->matches(QKeySequence::MoveToEndOfDocument)) {
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
  } else {
    QAbstractScrollArea::keyPressEvent(event);
  }
}

LogView::ShownLine LogView::TopLine() const {
  // The top margin is part of the first line: it scrolls away with it.
  const auto index = static_cast<std::size_t>(verticalScrollBar()->value());
  return {index, index == 0 ? kMargin : 0};
}

std::size_t LogView::LineAt(int y) {
  QScrollBar* bar = verticalScrollBar();
  if (y < 0) bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  if (y >= viewport()->height()) bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  const ShownLine top = TopLine();
  std::size_t line = top.index;
  int bottom = top.y;
  while (line + 1 < lines_.Count()) {
    bottom += RowsOf(line) * lineHeight_;
    if (std::min(y, viewport()->height() - 1) < bottom) break;
    ++line;
  }
  return line;
}

std::optional<LogView::Span> LogView::Selection() const {
  if (!anchor_) return std::nullopt;
  const std::uint64_t dropped = lines_.Dropped();
  const std::uint64_t last = std::max(*anchor_, cursor_);
  if (last < dropped) return std::nullopt;
  const std::uint64_t first = std::max(std::min(*anchor_, cursor_), dropped);
  return Span{static_cast<std::size_t>(first - dropped),
              std::min(static_cast<std::size_t>(last - dropped), lines_.Count() - 1)};
}

void LogView::SelectTo(std::size_t index, bool extend) {
  cursor_ = lines_.Dropped() + index;
  if (!extend || !anchor_) anchor_ = cursor_;
  viewport()->update();
}

void LogView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  selecting_ = true;
  SelectTo(LineAt(event->position().toPoint().y()), event->modifiers().testFlag(Qt::ShiftModifier));
}

void LogView::mouseMoveEvent(QMouseEvent* event) {
  if (!selecting_ || !(event->buttons() & Qt::LeftButton)) return;
  SelectTo(LineAt(event->position().toPoint().y()), true);
}

void LogView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !selecting_) return;
  selecting_ = false;
  QClipboard* clipboard = QGuiApplication::clipboard();
  // The mouse selection is offered to middle-button pasting where the system has one.
  if (clipboard->supportsSelection()) clipboard->setText(SelectedText(), QClipboard::Selection);
}

void LogView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* copy = menu.addAction("&Copy", this, &LogView::Copy);
  copy->setShortcut(QKeySequence::Copy);
  copy->setEnabled(Selection().has_value());
  QAction* all = menu.addAction("Select All", this, &LogView::SelectAll);
  all->setShortcut(QKeySequence::SelectAll);
  all->setEnabled(!lines_.Empty());
  menu.exec(event->globalPos());
}

}  // namespace qvm
