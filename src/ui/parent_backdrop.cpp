// SPDX-License-Identifier: MIT
#include "ui/parent_backdrop.h"

#include <QGroupBox>
#include <QHashFunctions>
#include <QImage>
#include <QPixmapCache>
#include <QWidget>

#include "ui/picture_key.h"

namespace qvm {

namespace {

// `region` of a stand-in for `group` with its look. Drawing the group itself would first lay out
// and size every widget of its window, the hidden ones too.
QPixmap DrawnGroup(const QGroupBox& group, const QRect& region, qreal ratio) {
  QGroupBox standIn(group.title());
  standIn.setStyle(group.style());
  standIn.setPalette(group.palette());
  standIn.setFont(group.font());
  standIn.setLayoutDirection(group.layoutDirection());
  standIn.setAlignment(group.alignment());
  standIn.setFlat(group.isFlat());
  standIn.setCheckable(group.isCheckable());
  standIn.setChecked(group.isChecked());
  standIn.setEnabled(group.isEnabled());
  standIn.resize(group.size());
  QPixmap drawn(region.size() * ratio);
  drawn.setDevicePixelRatio(ratio);
  standIn.render(&drawn, QPoint(), QRegion(region), QWidget::DrawWindowBackground);
  return drawn;
}

}  // namespace

void ParentBackdrop::Adopt(QWidget& widget) {
  widget.setAttribute(Qt::WA_OpaquePaintEvent,
                      qobject_cast<QGroupBox*>(widget.parentWidget()) != nullptr);
}

const QPixmap& ParentBackdrop::Picture(QWidget& widget) {
  const qreal ratio = widget.devicePixelRatioF();
  if (!picture_.isNull() && picture_.size() == widget.size() * ratio) return picture_;
  const QPixmap drawn =
      DrawnGroup(*qobject_cast<QGroupBox*>(widget.parentWidget()), widget.geometry(), ratio);
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

void ParentBackdrop::Watch(QWidget& widget, const QEvent& event) {
  switch (event.type()) {
    case QEvent::ParentChange:
      Adopt(widget);
      [[fallthrough]];
    case QEvent::Move:
    case QEvent::Resize:
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
