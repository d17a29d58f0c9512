// SPDX-License-Identifier: MIT
#include "ui/cached_panel_style.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyleOptionFrame>
#include <QStyleOptionGroupBox>
#include <array>
#include <bit>
#include <cstring>
#include <initializer_list>

namespace qvm {

namespace {

// A cache key: the kind of picture, plain numbers as the characters of a string, then `text`.
// Formatting the numbers as text would cost more than copying the cached picture.
QString PictureKey(char16_t kind, std::initializer_list<quint64> numbers, QStringView text = {}) {
  QString key;
  key.reserve(1 + static_cast<qsizetype>(numbers.size()) * 4 + text.size());
  key.append(QChar(kind));
  for (const quint64 number : numbers) {
    std::array<char16_t, 4> units{};
    std::memcpy(units.data(), &number, sizeof number);
    key.append(reinterpret_cast<const QChar*>(units.data()), 4);
  }
  key.append(text);
  return key;
}

// Draws `option` at `option.rect` from the picture cached under `key`; on a miss, `draw`
// paints the option moved to the origin onto a transparent picture with the painter's font
// and pen.
template <typename Option, typename Draw>
void DrawCached(const QString& key, const Option& option, QPainter* painter, Draw draw) {
  const qreal ratio = painter->device()->devicePixelRatio();
  const QString ratioKey = key + PictureKey(u'@', {std::bit_cast<quint64>(ratio)});
  QPixmap picture;
  if (!QPixmapCache::find(ratioKey, &picture)) {
    picture = QPixmap(option.rect.size() * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    Option atOrigin = option;
    atOrigin.rect.moveTopLeft(QPoint(0, 0));
    QPainter picturePainter(&picture);
    picturePainter.setFont(painter->font());
    picturePainter.setPen(painter->pen());
    draw(atOrigin, &picturePainter);
    picturePainter.end();
    QPixmapCache::insert(ratioKey, picture);
  }
  painter->drawPixmap(option.rect.topLeft(), picture);
}

}  // namespace

void CachedPanelStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                     QPainter* painter, const QWidget* widget) const {
  const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
  if (element != PE_PanelLineEdit || frame == nullptr) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  const QString key = PictureKey(
      u'L', {static_cast<quint64>(frame->rect.width()), static_cast<quint64>(frame->rect.height()),
             static_cast<quint64>(frame->state), static_cast<quint64>(frame->lineWidth),
             static_cast<quint64>(frame->features), frame->palette.cacheKey()});
  DrawCached(key, *frame, painter,
             [this, element, widget](const QStyleOptionFrame& atOrigin, QPainter* picture) {
               QProxyStyle::drawPrimitive(element, &atOrigin, picture, widget);
             });
}

void CachedPanelStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                          QPainter* painter, const QWidget* widget) const {
  const auto* group = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
  if (control != CC_GroupBox || group == nullptr) {
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    return;
  }
  const QString key = PictureKey(
      u'G',
      {static_cast<quint64>(group->rect.width()), static_cast<quint64>(group->rect.height()),
       static_cast<quint64>(group->state), static_cast<quint64>(group->subControls),
       static_cast<quint64>(group->activeSubControls), static_cast<quint64>(group->features),
       static_cast<quint64>(group->textAlignment), static_cast<quint64>(group->lineWidth),
       group->palette.cacheKey(), group->textColor.rgba(), painter->pen().color().rgba()},
      painter->font().key() + u'\n' + group->text);
  DrawCached(key, *group, painter,
             [this, control, widget](const QStyleOptionGroupBox& atOrigin, QPainter* picture) {
               QProxyStyle::drawComplexControl(control, &atOrigin, picture, widget);
             });
}

void UseCachedPanels(QWidget& root) {
  auto* panels = new CachedPanelStyle;
  panels->setParent(&root);
  for (QLineEdit* box : root.findChildren<QLineEdit*>()) box->setStyle(panels);
  for (QGroupBox* group : root.findChildren<QGroupBox*>()) group->setStyle(panels);
}

}  // namespace qvm
