// SPDX-License-Identifier: MIT
#include "ui/parent_backdrop.h"

#include <QHashFunctions>
#include <QImage>
#include <QPixmapCache>
#include <QWidget>

#include "ui/picture_key.h"

namespace qvm {

const QPixmap& ParentBackdrop::Picture(QWidget& widget) {
  const qreal ratio = widget.devicePixelRatioF();
  if (!picture_.isNull() && picture_.size() == widget.size() * ratio) return picture_;
  QPixmap drawn(widget.size() * ratio);
  drawn.setDevicePixelRatio(ratio);
  if (QWidget* parent = widget.parentWidget()) {
    parent->render(&drawn, QPoint(), QRegion(widget.geometry()), QWidget::DrawWindowBackground);
  } else {
    drawn.fill(widget.palette().color(widget.backgroundRole()));
  }
  // Backdrops alike (most lie on the plain inside of a frame) are kept once.
  const QImage image = drawn.toImage();
  const QString key =
      PictureKey(u'B', {static_cast<quint64>(qHashBits(image.constBits(), image.sizeInBytes())),
                        static_cast<quint64>(image.width()), static_cast<quint64>(image.height())});
  QPixmap kept;
  if (QPixmapCache::find(key, &kept) && kept.toImage() == image) {
    picture_ = kept;
  } else {
    picture_ = drawn;
    QPixmapCache::insert(key, drawn);
  }
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
