// SPDX-License-Identifier: MIT
#pragma once
#include <QEvent>
#include <QObject>
#include <QWidget>

namespace qvm::test {

// Counts the paints of a widget.
class PaintCount : public QObject {
 public:
  explicit PaintCount(QWidget& widget) { widget.installEventFilter(this); }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

}  // namespace qvm::test
