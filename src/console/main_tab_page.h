#pragma once
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "console/page_widgets.h"
#include "model/display_rules.h"
#include "model/shared_state.h"
#include "ui/led_indicator.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace qvm {

// The "MAIN" page: the selected device's cells, temperatures, thresholds and balance settings,
// and the present/fault/pack-voltage row of every device on the chain.
class MainTabPage : public QWidget {
  Q_OBJECT
 public:
  explicit MainTabPage(QWidget* parent = nullptr);

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
  QComboBox* cboBalanceMode;
  QComboBox* cboBalanceTimeout;
  QComboBox* cboBalanceWait;
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

  // Widgets of the companion IC, hidden when the configuration has none.
  std::vector<QWidget*> companionWidgets_;
  std::vector<PartHeadings> partHeadings_;
  bool shown_ = false;
};

}  // namespace qvm
