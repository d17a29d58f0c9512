// SPDX-License-Identifier: MIT
#pragma once
#include <QProxyStyle>

namespace qvm {

// The application's style, but the panel of a line edit and the whole of a group box are drawn
// once per size, state and palette and then copied. Value boxes are repainted with every
// reading, and each repaint also repaints the group box under them: the box's rounded, shaded
// frame and the group's title (measured anew on every paint) cost several times the text.
class CachedPanelStyle : public QProxyStyle {
 public:
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                          QPainter* painter, const QWidget* widget) const override;
};

// Gives the line edits and group boxes under `root` one such style, made a child of `root` after
// them so that it is deleted after them.
void UseCachedPanels(QWidget& root);

}  // namespace qvm
