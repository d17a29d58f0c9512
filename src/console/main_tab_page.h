// SPDX-License-Identifier: MIT
#pragma once
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "console/page_widgets.h"
#include "model/display_rules.h"
#include "model/shown_value.h"
#include "operations/balance_controls.h"
#include "protocol/session.h"
#include "ui/led_indicator.h"
#include "ui/popup_combo_box.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace qvm {

// The "MAIN" page: the selected device's cells, temperatures, thresholds and balance settings,
// and the present/fault/pack-voltage row of every device on the chain. The balance controls
// write the primary devices' balance registers.
class MainTabPage : public QWidget {
  Q_OBJECT
 public:
  // `timeOfDay` says when a stale value was last read.
  MainTabPage(Session& session, TimeOfDay timeOfDay, QWidget* parent = nullptr);

  // Paints `status`; the balance lists and check box are set with control events suppressed.
  void Apply(const MainTabDeviceStatus& status, SharedState& state);
  void ShowEnableMainTabFrames();
  void HideDisableMainTabFrames();
  bool FramesShown() const { return shown_; }
  // The device-type names over the columns of each type.
  void SetPartNames(const std::string& primary, const std::string& companion);
  // Hides or shows the twelve balance buttons as the balance mode asks.
  void ApplyBalanceButtons(const BalanceButtons& buttons);

  QGroupBox* fraMainTabDeviceStatus;
  QGroupBox* fraMainTabBalanceCtrls;
  QGroupBox* fraMainTabTemperatures;
  QGroupBox* fraMainTabThresholds;
  QGroupBox* fraMainTabDaisyChainStatus;

  std::array<LedIndicator*, 2 * kCellsPerDevice> ledMainTabCellSetup{};
  std::array<LedIndicator*, 2 * kCellsPerDevice> ledMainTabCellOV{};
  std::array<LedIndicator*, 2 * kCellsPerDevice> ledMainTabCellUV{};
  std::array<LedIndicator*, kOpenWireBits> ledMainTabCellOW{};
  LedIndicator* ledMainTabVssOW;
  LedIndicator* ledMainTabVbatOW;
  std::array<QLineEdit*, kCellsPerDevice> tbMainTabCellVoltage{};
  QLineEdit* tbMainTabVbatVoltage;
  std::array<QLineEdit*, 5> tbMainTabTemperatures{};
  QLineEdit* tbMainTabOVLimit;
  QLineEdit* tbMainTabUVLimit;
  QLineEdit* tbMainTabITLimit;
  PopupComboBox* cboBalanceMode;
  PopupComboBox* cboBalanceTimeout;
  PopupComboBox* cboBalanceWait;
  QCheckBox* chkEnableCellBalance;
  std::array<QPushButton*, kCellsPerDevice> cbMainTabBalCtrl{};
  QPushButton* cbConfigureBalanceRegs;
  QPushButton* cbConfigureBalanceSequence;
  std::array<LedIndicator*, 2 * kChainDevices> ledMainTabDevicePres{};
  std::array<LedIndicator*, 2 * kChainDevices> ledMainTabDeviceFault{};
  std::array<QLineEdit*, kChainDevices> tbMainTabDeviceVbat{};
  QLineEdit* tbMainTabStackVoltage;

 private:
  QGroupBox* BuildDeviceStatus();
  QGroupBox* BuildBalanceControls();
  QGroupBox* BuildTemperatures();
  QGroupBox* BuildThresholds();
  QGroupBox* BuildDaisyChainStatus();
  std::array<QGroupBox*, 5> Frames() const;
  PopupComboBox* MakeBalanceList(QWidget* parent, const char* name,
                                 const std::vector<std::string>& entries, BalanceSetting setting);
  void ChangeSetting(BalanceSetting setting, int value);
  void cbMainTabBalCtrl_Click(int cell);

  Session& session_;
  TimeOfDay timeOfDay_;
  // Widgets of the companion IC, hidden when the configuration has none.
  std::vector<QWidget*> companionWidgets_;
  std::vector<PartHeadings> partHeadings_;
  bool shown_ = false;
};

}  // namespace qvm
