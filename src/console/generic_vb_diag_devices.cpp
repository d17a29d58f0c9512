// SPDX-License-Identifier: MIT
// Choosing the device type and number the operations address.
#include <QComboBox>

#include "console/device_menu_state.h"
#include "console/generic_vb_diag.h"

namespace qvm {

std::vector<QComboBox*> GenericVbDiag::DeviceLists() const {
  std::vector<QComboBox*> lists{cboDeviceNumber};
  for (BalanceToolHeader* header : BalanceToolHeaders()) lists.push_back(header->cboDeviceNumber);
  return lists;
}

void GenericVbDiag::EnableDaisyChainControls(bool enable) {
  fraDeviceNumber->setEnabled(enable);
  cboDeviceNumber->setEnabled(enable);
  for (BalanceToolHeader* header : BalanceToolHeaders()) {
    header->fraDeviceNumber->setEnabled(enable);
    header->fraDaisyChainWriteMode->setEnabled(enable);
  }
  if (enable) {
    fraPollingControls->setEnabled(true);
    chkEnablePolling->setEnabled(true);
  }
  session_->state.UprPollingActive = enable;
}

void GenericVbDiag::ShowDaisyChainControls(bool show) {
  fraDeviceNumber->setVisible(show);
  cboDeviceNumber->setVisible(show);
  for (BalanceToolHeader* header : BalanceToolHeaders()) {
    header->fraDaisyChainWriteMode->setVisible(show);
    header->fraDeviceNumber->setVisible(show && !header->AllDevices());
  }
  rawMessageSender->ShowDeviceTypeOptions(show);
  if (show) fraPollingControls->setVisible(true);
}

void GenericVbDiag::SelectDeviceType(int devType) {
  session_->state.SelectedDeviceType = static_cast<std::int16_t>(devType);
  (devType == 0 ? opt52400 : opt52401)->setChecked(true);
  FillTabStrip();
  TabStrip1_Click();
  RefreshDeviceMenu();
}

void GenericVbDiag::cboDeviceNumber_Click(int index) {
  SharedState& state = session_->state;
  if (!state.SuppressControlEvents) {
    state.SelectedDevice =
        static_cast<std::int16_t>(index == cboDeviceNumber->count() - 1 ? 15 : index);
    RefreshDeviceMenu();
  }
  TabStrip1_Click();
}

void GenericVbDiag::mnuDevNum_Click(int devType, int index) {
  SharedState& state = session_->state;
  SelectDeviceType(devType);
  state.SelectedDevice = static_cast<std::int16_t>(index);
  state.SuppressControlEvents = true;
  for (QComboBox* list : DeviceLists()) {
    list->setCurrentIndex(index == 15 ? list->count() - 1 : index);
  }
  state.SuppressControlEvents = false;
  // Positioning the list redraws the page for the chosen device, as a click on it does.
  TabStrip1_Click();
  RefreshDeviceMenu();
}

void GenericVbDiag::RefreshDeviceMenu() {
  SharedState& state = session_->state;
  const DeviceMenuState menu = ComputeDeviceMenuState(state);
  for (int type = 0; type < 2; ++type) {
    for (int c = 0; c < 16; ++c) {
      mnuDevNum[type][c]->setChecked(menu.menus[type][c].checked);
      mnuDevNum[type][c]->setEnabled(menu.menus[type][c].enabled);
    }
  }
  if (!menu.listEntries) return;
  state.SuppressControlEvents = true;
  for (QComboBox* list : DeviceLists()) {
    list->clear();
    for (const std::string& entry : *menu.listEntries) {
      list->addItem(QString::fromStdString(entry));
    }
    list->setCurrentIndex(menu.listIndex);
  }
  state.SuppressControlEvents = false;
}

}  // namespace qvm
