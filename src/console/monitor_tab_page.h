// SPDX-License-Identifier: MIT
#pragma once
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "console/page_widgets.h"
#include "model/display_rules.h"
#include "model/shown_value.h"
#include "ui/led_indicator.h"

class QGroupBox;
class QLineEdit;

namespace qvm {

// The "MONITOR" page: the cells and faults of the first four devices side by side, device 1
// rightmost. Indicator and box arrays are indexed as the frames are: frame j's items start at
// j times the per-frame count.
class MonitorTabPage : public QWidget {
  Q_OBJECT
 public:
  // `timeOfDay` says when a stale value was last read.
  explicit MonitorTabPage(TimeOfDay timeOfDay, QWidget* parent = nullptr);

  void Apply(const MonitorTabStatus& status);
  void ShowEnableMonitorTabFrames();
  void HideDisableMonitorTabFrames();
  bool FramesShown() const { return shown_; }
  // The device-type names over the columns of each type.
  void SetPartNames(const std::string& primary, const std::string& companion);
  // Frame j as the status rules show or hide it (the page may be hidden itself).
  bool FrameShown(int frame) const;

  std::array<QGroupBox*, kMonitorFrames> fraDeviceVoltagesFaults{};
  std::array<LedIndicator*, kMonitorFrames * kCellsPerDevice> ledMonitorTab52400OV{};
  std::array<LedIndicator*, kMonitorFrames * kCellsPerDevice> ledMonitorTab52400UV{};
  std::array<LedIndicator*, kMonitorFrames * kCellsPerDevice> ledMonitorTab52401OV{};
  std::array<LedIndicator*, kMonitorFrames * kCellsPerDevice> ledMonitorTab52401UV{};
  std::array<LedIndicator*, kMonitorFrames * kOpenWireBits> ledMonitorTab52400OW{};
  std::array<LedIndicator*, kMonitorFrames> ledMonitorTabVssOW{};
  std::array<LedIndicator*, kMonitorFrames> ledMonitorTabVbatOW{};
  std::array<QLineEdit*, kMonitorFrames * kCellsPerDevice> tbMonitorTabCellVoltage{};
  std::array<QLineEdit*, kMonitorFrames> tbMonitorTabVbatVoltage{};

 private:
  QGroupBox* BuildFrame(int frame);

  TimeOfDay timeOfDay_;

  std::vector<QWidget*> companionWidgets_;
  std::vector<PartHeadings> partHeadings_;
  std::array<bool, kMonitorFrames> frameShown_{true};
  bool shown_ = false;
};

}  // namespace qvm
