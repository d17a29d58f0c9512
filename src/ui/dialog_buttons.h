// SPDX-License-Identifier: MIT
#pragma once
#include <QDialogButtonBox>
#include <QPushButton>

namespace qvm {

// The OK and Cancel buttons of a dialog, named "OKButton" and "CancelButton" as every dialog of
// the console names them.
struct OkCancelButtons {
  QDialogButtonBox* box;
  QPushButton* ok;
  QPushButton* cancel;
};

// A button box of `dialog` holding OK and Cancel; a dialog may add buttons of other roles.
inline OkCancelButtons MakeOkCancelButtons(QWidget* dialog) {
  auto* box = new QDialogButtonBox(dialog);
  QPushButton* ok = box->addButton("OK", QDialogButtonBox::AcceptRole);
  ok->setObjectName("OKButton");
  QPushButton* cancel = box->addButton("Cancel", QDialogButtonBox::RejectRole);
  cancel->setObjectName("CancelButton");
  return {box, ok, cancel};
}

}  // namespace qvm
