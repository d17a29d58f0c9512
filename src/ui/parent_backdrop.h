// SPDX-License-Identifier: MIT
#pragma once
#include <QEvent>
#include <QPixmap>

class QWidget;

namespace qvm {

// What a widget's parent draws under it, drawn once and kept; widgets with the same backdrop
// share one picture. A widget that paints this first paints every pixel itself and so may be
// opaque: its repaints then leave its parent and the windows under that alone. The parent is
// drawn over its own window colour, as the console's pages and frames are.
class ParentBackdrop {
 public:
  // Forgets the kept backdrop after an event that may change what lies under the widget.
  void Watch(const QEvent& event);
  // The kept backdrop of `widget`, drawn from the parent first when it is not kept.
  const QPixmap& Picture(QWidget& widget);

 private:
  QPixmap picture_;
};

}  // namespace qvm
