// SPDX-License-Identifier: MIT
#include "ui/tone_button.h"

#include <QPainter>

namespace qvm {

namespace {
const QColor kBorder(0x60, 0x60, 0x60);
const QColor kPressedBorder(0x30, 0x30, 0x30);
const QColor kDisabledText(0x80, 0x80, 0x80);
constexpr int kPaddingX = 4;
constexpr int kPaddingY = 1;
constexpr qreal kRadius = 3;
}  // namespace

ToneButton::ToneButton(const QString& text, const QColor& tone, QWidget* parent)
    : QPushButton(text, parent), tone_(tone) {}

void ToneButton::SetTone(const QColor& tone) {
  if (tone == tone_) return;
  tone_ = tone;
  update();
}

QSize ToneButton::sizeHint() const {
  const QFontMetrics metrics = fontMetrics();
  return {metrics.horizontalAdvance(text()) + 2 * (kPaddingX + 1),
          metrics.height() + 2 * (kPaddingY + 1)};
}

void ToneButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const int border = isDown() ? 2 : 1;
  const qreal inset = border / 2.0;
  painter.setPen(QPen(isDown() ? kPressedBorder : kBorder, border));
  painter.setBrush(tone_);
  painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), kRadius, kRadius);
  painter.setPen(isEnabled() ? palette().color(QPalette::ButtonText) : kDisabledText);
  painter.drawText(rect(), Qt::AlignCenter, text());
  if (hasFocus()) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(palette().color(QPalette::ButtonText), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(border + 1, border + 1, -border - 2, -border - 2));
  }
}

}  // namespace qvm
