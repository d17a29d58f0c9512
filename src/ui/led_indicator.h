// SPDX-License-Identifier: MIT
#pragma once
#include <QColor>
#include <QWidget>

#include "core/console_view.h"
#include "ui/parent_backdrop.h"

class QPainter;

namespace qvm {

// The fill colour of an indicator.
QColor LedColour(Colour colour);

// A round indicator lamp. In a group box it paints what the group draws under it first and so is
// opaque: a change of colour repaints the lamp alone. Lamps alike are then drawn once and shared.
class LedIndicator : public QWidget {
  Q_OBJECT
 public:
  explicit LedIndicator(QWidget* parent = nullptr);
  void SetColour(Colour colour);
  QColor colour() const { return colour_; }
  QSize sizeHint() const override { return {18, 18}; }

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void DrawLamp(QPainter& painter) const;

  QColor colour_;
  ParentBackdrop backdrop_;
};

}  // namespace qvm
