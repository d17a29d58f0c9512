// SPDX-License-Identifier: MIT
#include "console/shown_value_box.h"

#include <QPalette>

namespace qvm {

namespace {

// The grey of an indicator that is off.
const QColor kStaleText(0x7F, 0x7F, 0x7F);

}  // namespace

void ShowValue(QLineEdit* box, const ShownValue& value, const TimeOfDay& timeOfDay) {
  const QString text = QString::fromStdString(value.text);
  if (box->text() != text) box->setText(text);
  // Only a stale value gives the box a palette of its own; the others take the window's.
  const bool stale = value.freshness.stale;
  if (box->testAttribute(Qt::WA_SetPalette) != stale) {
    QPalette palette;
    if (stale) {
      palette = box->palette();
      palette.setColor(QPalette::Text, kStaleText);
    }
    box->setPalette(palette);
  }
  const QString note = QString::fromStdString(StaleNote(value.freshness, timeOfDay));
  if (box->toolTip() != note) box->setToolTip(note);
}

}  // namespace qvm
