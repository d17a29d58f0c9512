// SPDX-License-Identifier: MIT
#include "ui/cached_panel_style.h"

#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyleOptionFrame>
#include <bit>

#include "ui/picture_key.h"

namespace qvm {

void CachedPanelStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                     QPainter* painter, const QWidget* widget) const {
  const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
  if (element != PE_PanelLineEdit || frame == nullptr) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  const qreal ratio = painter->device()->devicePixelRatio();
  const QString key = PictureKey(
      u'L', {static_cast<quint64>(frame->rect.width()), static_cast<quint64>(frame->rect.height()),
             static_cast<quint64>(frame->state), static_cast<quint64>(frame->lineWidth),
             static_cast<quint64>(frame->features), frame->palette.cacheKey(),
             std::bit_cast<quint64>(ratio)});
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

void UseCachedPanels(QWidget& root) {
  auto* panels = new CachedPanelStyle;
  panels->setParent(&root);
  for (QLineEdit* box : root.findChildren<QLineEdit*>()) box->setStyle(panels);
}

}  // namespace qvm
