// SPDX-License-Identifier: MIT
#include "ui/value_box.h"

#include <QPainter>

namespace qvm {

ValueBox::ValueBox(QWidget* parent) : QLineEdit(parent) {
  setReadOnly(true);
  ParentBackdrop::Adopt(*this);
}

bool ValueBox::event(QEvent* event) {
  backdrop_.Watch(*this, *event);
  return QLineEdit::event(event);
}

void ValueBox::paintEvent(QPaintEvent* event) {
  if (testAttribute(Qt::WA_OpaquePaintEvent)) {
    QPainter painter(this);
    painter.drawPixmap(QPoint(), backdrop_.Picture(*this));
  }
  QLineEdit::paintEvent(event);
}

}  // namespace qvm
