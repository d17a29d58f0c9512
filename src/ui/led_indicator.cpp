// SPDX-License-Identifier: MIT
#include "ui/led_indicator.h"

#include <QPainter>

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
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void LedIndicator::SetColour(Colour colour) {
  // Every exchange sets its indicators; only a change needs a repaint.
  const QColor next = LedColour(colour);
  if (next == colour_) return;
  colour_ = next;
  update();
}

bool LedIndicator::event(QEvent* event) {
  backdrop_.Watch(*event);
  return QWidget::event(event);
}

const QPixmap& LedIndicator::Lamp() {
  const QPixmap& backdrop = backdrop_.Picture(*this);
  if (lampsBackdrop_ != backdrop.cacheKey()) {
    lamps_.clear();
    lampsBackdrop_ = backdrop.cacheKey();
  }
  const QRgb colour = colour_.rgba();
  for (const auto& [shown, lamp] : lamps_) {
    if (shown == colour) return lamp;
  }
  QPixmap lamp = backdrop.copy();
  QPainter painter(&lamp);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(colour_);
  painter.drawEllipse(rect().adjusted(1, 1, -1, -1));
  painter.end();
  return lamps_.emplace_back(colour, lamp).second;
}

void LedIndicator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(QPoint(), Lamp());
}

}  // namespace qvm
