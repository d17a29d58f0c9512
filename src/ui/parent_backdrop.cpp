// SPDX-License-Identifier: MIT
#include "ui/parent_backdrop.h"

#include <QWidget>

namespace qvm {

const QPixmap& ParentBackdrop::Picture(QWidget& widget) {
  const qreal ratio = widget.devicePixelRatioF();
  if (!picture_.isNull() && picture_.size() == widget.size() * ratio) return picture_;
  picture_ = QPixmap(widget.size() * ratio);
  picture_.setDevicePixelRatio(ratio);
  QWidget* parent = widget.parentWidget();
  if (parent == nullptr) {
    picture_.fill(widget.palette().color(widget.backgroundRole()));
    return picture_;
  }
  parent->render(&picture_, QPoint(), QRegion(widget.geometry()), QWidget::DrawWindowBackground);
  return picture_;
}

void ParentBackdrop::Watch(const QEvent& event) {
  switch (event.type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::ParentChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::EnabledChange:
    case QEvent::ActivationChange:
      picture_ = QPixmap();
      break;
    default:
      break;
  }
}

}  // namespace qvm
