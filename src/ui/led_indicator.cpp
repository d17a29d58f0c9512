// SPDX-License-Identifier: MIT
#include "ui/led_indicator.h"

#include <QPainter>
#include <QPixmapCache>

#include "ui/picture_key.h"

namespace qvm {

QColor LedColour(Colour colour) {
  switch (colour) {
    case Colour::Green:
      return QColor(0x00, 0xFF, 0x00);
    case Colour::Red:
      return QColor(0xFF, 0x00, 0x00);
    case Colour::Yellow:
      return QColor(0xFF, 0xFF, 0x00);
    case Colour::Grey:
      return QColor(0x7F, 0x7F, 0x7F);
    case Colour::LightRed:
      return QColor(0xFF, 0x80, 0x80);
  }
  return QColor(0x7F, 0x7F, 0x7F);
}

LedIndicator::LedIndicator(QWidget* parent) : QWidget(parent), colour_(LedColour(Colour::Grey)) {
  setFixedSize(sizeHint());
  ParentBackdrop::Adopt(*this);
}

void LedIndicator::SetColour(Colour colour) {
  // Every exchange sets its indicators; only a change needs a repaint.
  const QColor next = LedColour(colour);
  if (next == colour_) return;
  colour_ = next;
  update();
}

bool LedIndicator::event(QEvent* event) {
  backdrop_.Watch(*this, *event);
  return QWidget::event(event);
}

void LedIndicator::DrawLamp(QPainter& painter) const {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(colour_);
  painter.drawEllipse(rect().adjusted(1, 1, -1, -1));
}

void LedIndicator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!testAttribute(Qt::WA_OpaquePaintEvent)) {
    DrawLamp(painter);
    return;
  }
  const QPixmap& backdrop = backdrop_.Picture(*this);
  const QString key = PictureKey(u'D', {static_cast<quint64>(backdrop.cacheKey()), colour_.rgba()});
  QPixmap lamp;
  if (!QPixmapCache::find(key, &lamp)) {
    lamp = backdrop.copy();
    QPainter lampPainter(&lamp);
    DrawLamp(lampPainter);
    lampPainter.end();
    QPixmapCache::insert(key, lamp);
  }
  painter.drawPixmap(QPoint(), lamp);
}

}  // namespace qvm
