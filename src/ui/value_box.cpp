// SPDX-License-Identifier: MIT
#include "ui/value_box.h"

#include <QPainter>

namespace qvm {

ValueBox::ValueBox(QWidget* parent) : QLineEdit(parent) {
  setReadOnly(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

bool ValueBox::event(QEvent* event) {
  backdrop_.Watch(*event);
  return QLineEdit::event(event);
}

void ValueBox::paintEvent(QPaintEvent* event) {
  {
    QPainter painter(this);
    painter.drawPixmap(QPoint(), backdrop_.Picture(*this));
  }
  QLineEdit::paintEvent(event);
}

}  // namespace qvm
