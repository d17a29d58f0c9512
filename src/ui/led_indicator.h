// SPDX-License-Identifier: MIT
#pragma once
#include <QColor>
#include <QPixmap>
#include <QWidget>
#include <utility>
#include <vector>

#include "core/console_view.h"
#include "ui/parent_backdrop.h"

namespace qvm {

// The fill colour of an indicator.
QColor LedColour(Colour colour);

// A round indicator lamp. It paints what its parent draws under it first and so is opaque: a
// change of colour repaints the lamp alone. The lamp of each colour shown is drawn once.
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
  const QPixmap& Lamp();

  QColor colour_;
  ParentBackdrop backdrop_;
  // The lamps drawn on the backdrop with this cache key, by colour.
  qint64 lampsBackdrop_ = 0;
  std::vector<std::pair<QRgb, QPixmap>> lamps_;
};

}  // namespace qvm
