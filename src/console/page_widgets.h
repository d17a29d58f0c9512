// SPDX-License-Identifier: MIT
#pragma once
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <string>
#include <vector>

#include "ui/led_indicator.h"
#include "ui/value_box.h"

namespace qvm {

// A read-only value box of the status pages, named `name` + `index`.
inline QLineEdit* MakeValueBox(QWidget* parent, const QString& name, int index = -1) {
  auto* box = new ValueBox(parent);
  box->setObjectName(index < 0 ? name : name + QString::number(index));
  box->setAlignment(Qt::AlignRight);
  box->setFixedWidth(64);
  return box;
}

// An indicator of the status pages, named `name` + `index`.
inline LedIndicator* MakeLed(QWidget* parent, const QString& name, int index = -1) {
  auto* led = new LedIndicator(parent);
  led->setObjectName(index < 0 ? name : name + QString::number(index));
  return led;
}

inline QLabel* MakeHeading(QWidget* parent, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

// The part-name heading over each device type's columns of a status grid.
struct PartHeadings {
  QLabel* primary;
  QLabel* companion;
};

// Two heading rows on top of `grid`: the part names over their columns, then the column
// `captions`. Columns from `firstCompanion` on belong to the companion IC; their headings are
// added to `companionWidgets` so that they hide with it.
inline PartHeadings AddPartHeadings(QGridLayout* grid, QWidget* parent,
                                    const std::vector<const char*>& captions, int firstCompanion,
                                    std::vector<QWidget*>& companionWidgets) {
  const int columns = static_cast<int>(captions.size());
  for (int column = 0; column < columns; ++column) {
    QLabel* heading = MakeHeading(parent, captions[column]);
    grid->addWidget(heading, 1, column);
    if (column >= firstCompanion) companionWidgets.push_back(heading);
  }
  PartHeadings parts{MakeHeading(parent, "QVM52400"), MakeHeading(parent, "QVM52401")};
  grid->addWidget(parts.primary, 0, 1, 1, firstCompanion - 1);
  grid->addWidget(parts.companion, 0, firstCompanion, 1, columns - firstCompanion);
  companionWidgets.push_back(parts.companion);
  return parts;
}

inline void SetPartNames(const std::vector<PartHeadings>& headings, const std::string& primary,
                         const std::string& companion) {
  for (const PartHeadings& part : headings) {
    part.primary->setText(QString::fromStdString(primary));
    part.companion->setText(QString::fromStdString(companion));
  }
}

}  // namespace qvm
