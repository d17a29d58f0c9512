// SPDX-License-Identifier: MIT
#pragma once
#include <QLineEdit>

#include "ui/parent_backdrop.h"

namespace qvm {

// A read-only line edit for a reading. In a group box it paints what the group draws under it
// first and so is opaque: a new reading repaints the box alone, not the frame around it.
class ValueBox : public QLineEdit {
  Q_OBJECT
 public:
  explicit ValueBox(QWidget* parent = nullptr);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  ParentBackdrop backdrop_;
};

}  // namespace qvm
