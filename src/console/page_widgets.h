#pragma once
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <string>

#include "ui/led_indicator.h"

namespace qvm {

// A read-only value box of the status pages, named `name` + `index`.
inline QLineEdit* MakeValueBox(QWidget* parent, const QString& name, int index = -1) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(index < 0 ? name : name + QString::number(index));
  box->setReadOnly(true);
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

inline void SetBoxText(QLineEdit* box, const std::string& text) {
  box->setText(QString::fromStdString(text));
}

}  // namespace qvm
