// SPDX-License-Identifier: MIT
#include "ui/cached_panel_style.h"

#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyleOptionFrame>

namespace qvm {

void CachedPanelStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                     QPainter* painter, const QWidget* widget) const {
  const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
  if (element != PE_PanelLineEdit || frame == nullptr) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  const qreal ratio = painter->device()->devicePixelRatio();
  const QString key = QString::asprintf(
      "qvm-line-edit-panel-%dx%d-%x-%d-%x-%llx-%g", frame->rect.width(), frame->rect.height(),
      static_cast<unsigned>(frame->state), frame->lineWidth, static_cast<unsigned>(frame->features),
      static_cast<unsigned long long>(frame->palette.cacheKey()), ratio);
  QPixmap panel;
  if (!QPixmapCache::find(key, &panel)) {
    panel = QPixmap(frame->rect.size() * ratio);
    panel.setDevicePixelRatio(ratio);
    panel.fill(Qt::transparent);
    QStyleOptionFrame atOrigin = *frame;
    atOrigin.rect.moveTopLeft(QPoint(0, 0));
    QPainter panelPainter(&panel);
    QProxyStyle::drawPrimitive(element, &atOrigin, &panelPainter, widget);
    panelPainter.end();
    QPixmapCache::insert(key, panel);
  }
  painter->drawPixmap(frame->rect.topLeft(), panel);
}

}  // namespace qvm
