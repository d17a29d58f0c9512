// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QTimer>
#include <QWidget>
#include <string_view>

#include "console/qt_host.h"
#include "core/clock.h"
#include "paint_count.h"
#include "ui/log_view.h"

namespace qvm::test {
namespace {

// A window that counts its paints.
class PaintCounter : public QWidget {
 public:
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override {
    ++paints;
    QPainter(this).fillRect(rect(), Qt::white);
  }
};

// Puts a click on the window (beside the log) in the event queue, as the user's click arrives.
void PostClick(QWidget& window) {
  const QPointF at(window.width() - 4, window.height() - 4);
  for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QCoreApplication::postEvent(
        &window, new QMouseEvent(type, at, window.mapToGlobal(at), Qt::LeftButton,
                                 type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                 Qt::NoModifier, QPointingDevice::primaryPointingDevice()));
  }
}

// The pumps at a transfer's frequent points run timers and user actions, but leave bringing the
// log's view up to date and painting to the pump that ends the operation, unless the display has
// waited long or the user clicked.
TEST(DisplayHold, FrequentPumpsPaintOnlyWhenDueOrAfterAClick) {
  struct Case {
    const char* name;
    std::int64_t elapsedMs;
    bool click;
    bool painted;
  };
  const Case cases[] = {
      {"during an operation", kConsolePumpIntervalMs, false, false},
      {"after the paint interval", kConsolePaintIntervalMs, false, true},
      {"after a click", kConsolePumpIntervalMs, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VirtualClock clock;
    QtHost host;
    host.SetPumpInterval(clock, kConsolePumpIntervalMs);
    PaintCounter window;
    window.resize(300, 200);
    LogView log(&window);
    log.setGeometry(0, 0, 150, 100);
    const PaintCount logPaints(*log.viewport());
    window.show();
    host.PumpEvents();
    if (c.click) {
      PostClick(window);
      clock.SleepMs(kConsolePumpIntervalMs);
      host.PumpEventsIfDue();
    }
    const int paintsBefore = window.paints;
    const int logPaintsBefore = logPaints.paints;
    bool timerRan = false;
    QTimer::singleShot(0, [&] { timerRan = true; });
    log.AppendUtf8(std::string_view("one\r\n"));
    window.update();
    clock.SleepMs(c.elapsedMs);
    host.PumpEventsIfDue();
    EXPECT_TRUE(timerRan);
    EXPECT_EQ(window.paints > paintsBefore, c.painted);
    EXPECT_EQ(logPaints.paints > logPaintsBefore, c.painted);
    // The pump that ends the operation shows what was held back.
    host.PumpEvents();
    EXPECT_GT(logPaints.paints, logPaintsBefore);
    EXPECT_GT(window.paints, paintsBefore);
    EXPECT_EQ(log.toPlainText(), "one\n");
  }
}

}  // namespace
}  // namespace qvm::test
