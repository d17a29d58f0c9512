// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QPushButton>

namespace qvm {

// A push button drawn as a flat coloured key: its tone fills it, a thin dark border frames it
// (thicker while pressed) and its caption is centred, greyed when disabled. Drawn here rather
// than through a style sheet of its own: setting one builds a style and polishes the button
// again, which hundreds of bit buttons would pay at start-up and on every change of colour.
class ToneButton : public QPushButton {
 public:
  ToneButton(const QString& text, const QColor& tone, QWidget* parent);

  QColor Tone() const { return tone_; }
  // Repaints only when the tone changes.
  void SetTone(const QColor& tone);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor tone_;
};

}  // namespace qvm
