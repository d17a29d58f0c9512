// SPDX-License-Identifier: MIT
#pragma once
#include <QComboBox>
#include <functional>

namespace qvm {

// A list box that reports when its list opens and closes, so the program can hold background
// work while the user chooses.
class PopupComboBox : public QComboBox {
 public:
  using QComboBox::QComboBox;

  std::function<void()> onPopupShown;
  std::function<void()> onPopupHidden;

  void showPopup() override {
    if (!popupOpen_ && onPopupShown) onPopupShown();
    popupOpen_ = true;
    QComboBox::showPopup();
  }
  // Also called when the box itself hides; reported only for a list that was open.
  void hidePopup() override {
    QComboBox::hidePopup();
    if (!popupOpen_) return;
    popupOpen_ = false;
    if (onPopupHidden) onPopupHidden();
  }

 private:
  bool popupOpen_ = false;
};

}  // namespace qvm
