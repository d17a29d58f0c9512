// SPDX-License-Identifier: MIT
#pragma once
#include <QEvent>
#include <QPixmap>

class QWidget;

namespace qvm {

// What a widget's parent draws under it, drawn once and kept; widgets with the same backdrop
// share one picture. A widget that paints this first paints every pixel itself and so is made
// opaque: its repaints then leave its parent and the windows under that alone. Only a group box
// is drawn for it, over its own window colour, as the console's frames are.
class ParentBackdrop {
 public:
  // Makes `widget` opaque while its parent is a group box.
  static void Adopt(QWidget& widget);
  // Forgets the kept backdrop after an event that may change what lies under `widget`.
  void Watch(QWidget& widget, const QEvent& event);
  // The kept backdrop of an opaque `widget`, drawn from the parent first when it is not kept.
  const QPixmap& Picture(QWidget& widget);

 private:
  QPixmap picture_;
};

}  // namespace qvm
