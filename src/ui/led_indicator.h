// SPDX-License-Identifier: MIT
#pragma once
#include <QColor>
#include <QWidget>

#include "core/console_view.h"

namespace qvm {

// The fill colour of an indicator.
QColor LedColour(Colour colour);

// A round indicator lamp.
class LedIndicator : public QWidget {
  Q_OBJECT
 public:
  explicit LedIndicator(QWidget* parent = nullptr);
  void SetColour(Colour colour);
  QColor colour() const { return colour_; }
  QSize sizeHint() const override { return {18, 18}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor colour_;
};

}  // namespace qvm
