// SPDX-License-Identifier: MIT
#include "ui/log_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>
#include <functional>
#include <string>

#include "paint_count.h"
#include "ui/display_refresh.h"

namespace qvm::test {
namespace {

// A shown log of a few rows' height.
struct ShownLog {
  ShownLog() {
    log.resize(300, 80);
    log.show();
    QCoreApplication::processEvents();
  }
  // Brings the view up to date and paints it, as the end of an operation does.
  void Refresh() { RefreshDisplay(); }
  // A point of the viewport on the shown line `row` (0 = the top line of the scrolled-to-top view).
  QPoint OnRow(int row) const {
    return {20, 4 + row * log.fontMetrics().height() + log.fontMetrics().height() / 2};
  }

  LogView log;
};

TEST(LogView, KeepsTheTextAsLines) {
  struct Case {
    const char* name;
    std::function<void(LogView&)> act;
    QString text;
    int lines;
  };
  const Case cases[] = {
      {"CR LF, LF and CR end a line; the last stays open",
       [](LogView& log) { log.AppendUtf8("a\r\nb\nc\rd"); }, "a\nb\nc\nd", 4},
      {"a CR LF split between two texts is one line end",
       [](LogView& log) {
         log.AppendUtf8("a\r");
         log.AppendUtf8("\nb\r\n");
       },
       "a\nb\n", 3},
      {"UTF-8 and QString text alike",
       [](LogView& log) {
         log.AppendUtf8(
             "25 \xC2\xB0"
             "C\r\n");
         log.Append(QString("5 ") + QChar(0x00B5) + "s");
       },
       QString("25 ") + QChar(0x00B0) + "C\n5 " + QChar(0x00B5) + "s", 2},
      {"a clear drops everything before it",
       [](LogView& log) {
         log.AppendUtf8("x\r\ny\r\n");
         log.clear();
         log.AppendUtf8("z");
       },
       "z", 1},
      {"beyond the maximum the oldest lines go",
       [](LogView& log) {
         log.SetMaximumLineCount(3);
         for (int i = 0; i < 400; ++i) log.AppendUtf8(std::to_string(i) + "\r\n");
       },
       "398\n399\n", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LogView log;
    c.act(log);
    EXPECT_EQ(log.toPlainText(), c.text);
    EXPECT_EQ(log.LineCount(), c.lines);
  }
}

// Whole lines are selected with the mouse or Ctrl+A and copied with Ctrl+C.
TEST(LogView, CopiesTheSelectedLines) {
  struct Case {
    const char* name;
    std::function<void(ShownLog&)> select;
    QString copied;
  };
  const Case cases[] = {
      {"Ctrl+A", [](ShownLog& s) { QTest::keyClick(&s.log, Qt::Key_A, Qt::ControlModifier); },
       "one\ntwo\nthree"},
      {"a click",
       [](ShownLog& s) { QTest::mouseClick(s.log.viewport(), Qt::LeftButton, {}, s.OnRow(1)); },
       "two"},
      {"a click and a Shift-click above it",
       [](ShownLog& s) {
         QTest::mouseClick(s.log.viewport(), Qt::LeftButton, {}, s.OnRow(2));
         QTest::mouseClick(s.log.viewport(), Qt::LeftButton, Qt::ShiftModifier, s.OnRow(0));
       },
       "one\ntwo\nthree"},
      {"a drag",
       [](ShownLog& s) {
         QTest::mousePress(s.log.viewport(), Qt::LeftButton, {}, s.OnRow(0));
         QTest::mouseMove(s.log.viewport(), s.OnRow(1));
         QTest::mouseRelease(s.log.viewport(), Qt::LeftButton, {}, s.OnRow(1));
       },
       "one\ntwo"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShownLog shown;
    shown.log.AppendUtf8("one\r\ntwo\r\nthree");
    shown.Refresh();
    QGuiApplication::clipboard()->setText("before");
    c.select(shown);
    QTest::keyClick(&shown.log, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), c.copied);
  }
}

// New lines scroll the view to the end, unless the user scrolled up; back at the end, it follows
// again.
TEST(LogView, FollowsTheEndUnlessScrolledUp) {
  struct Case {
    const char* name;
    QAbstractSlider::SliderAction scroll;
    bool follows;
  };
  const Case cases[] = {
      {"left at the end", QAbstractSlider::SliderNoAction, true},
      {"scrolled up a line", QAbstractSlider::SliderSingleStepSub, false},
      {"scrolled up and back to the end", QAbstractSlider::SliderToMaximum, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShownLog shown;
    QScrollBar& bar = *shown.log.verticalScrollBar();
    for (int i = 0; i < 20; ++i) shown.log.AppendUtf8("line\r\n");
    shown.Refresh();
    ASSERT_GT(bar.maximum(), 0);
    ASSERT_EQ(bar.value(), bar.maximum());
    if (c.scroll == QAbstractSlider::SliderToMaximum) {
      bar.triggerAction(QAbstractSlider::SliderSingleStepSub);
    }
    bar.triggerAction(c.scroll);
    const int at = bar.value();
    const int end = bar.maximum();
    shown.log.AppendUtf8("more\r\nlines\r\n");
    shown.Refresh();
    EXPECT_EQ(bar.maximum(), end + 2);
    EXPECT_EQ(bar.value(), c.follows ? bar.maximum() : at);
  }
}

// Polling empties and refills the logs each tick: the same lines in view again paint nothing.
TEST(LogView, RepaintsOnlyWhenTheLinesInViewChange) {
  // More lines than the view shows: it is scrolled to the end.
  const std::string fill = "p\r\nq\r\nr\r\ns\r\nt\r\na\r\nb\r\nc\r\n";
  struct Case {
    const char* name;
    std::string refill;
    bool repaints;
  };
  const Case cases[] = {
      {"the same lines", fill, false},
      {"more lines above the same ones in view", "x\r\ny\r\n" + fill, false},
      {"another line in view", fill + "d\r\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShownLog shown;
    const PaintCount paints(*shown.log.viewport());
    shown.log.AppendUtf8(fill);
    shown.Refresh();
    const int painted = paints.paints;
    ASSERT_GT(painted, 0);
    ASSERT_GT(shown.log.verticalScrollBar()->maximum(), 0);
    shown.log.clear();
    shown.log.AppendUtf8(c.refill);
    shown.Refresh();
    EXPECT_EQ(paints.paints > painted, c.repaints);
  }
}

}  // namespace
}  // namespace qvm::test
