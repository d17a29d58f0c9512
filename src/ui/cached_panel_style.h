// SPDX-License-Identifier: MIT
#pragma once
#include <QProxyStyle>

namespace qvm {

// The application's style, but the panel of a line edit is drawn once per size, state and
// palette and then copied: value boxes are repainted with every reading, and their rounded,
// shaded frame costs several times what their text does.
class CachedPanelStyle : public QProxyStyle {
 public:
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
};

// Gives the line edits under `root` one such style, made a child of `root` after
// them so that it is deleted after them.
void UseCachedPanels(QWidget& root);

}  // namespace qvm
