// SPDX-License-Identifier: MIT
#include "console/monitor_tab_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <utility>

#include "console/page_widgets.h"
#include "console/shown_value_box.h"

namespace qvm {

MonitorTabPage::MonitorTabPage(TimeOfDay timeOfDay, QWidget* parent)
    : QWidget(parent), timeOfDay_(std::move(timeOfDay)) {
  setObjectName("MonitorTabPage");
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  for (int frame = 0; frame < kMonitorFrames; ++frame)
    fraDeviceVoltagesFaults[frame] = BuildFrame(frame);
  // Device 1 sits rightmost, as the chain is stacked.
  for (int frame = kMonitorFrames - 1; frame >= 0; --frame) {
    layout->addWidget(fraDeviceVoltagesFaults[frame], 0, Qt::AlignTop);
  }
  layout->addStretch();
  HideDisableMonitorTabFrames();
}

QGroupBox* MonitorTabPage::BuildFrame(int frame) {
  auto* box = new QGroupBox(QString("Device %1").arg(frame + 1), this);
  box->setObjectName(QString("fraDeviceVoltagesFaults%1").arg(frame));
  auto* grid = new QGridLayout(box);
  grid->setVerticalSpacing(2);
  partHeadings_.push_back(AddPartHeadings(grid, box, {"", "Volts", "OV", "UV", "OW", "OV", "UV"}, 5,
                                          companionWidgets_));

  for (int cell = 0; cell <= kCellsPerDevice; ++cell) {
    const int row = cell + 2;
    const int wire = frame * kOpenWireBits + cell;
    ledMonitorTab52400OW[wire] = MakeLed(box, "ledMonitorTab52400OW", wire);
    grid->addWidget(ledMonitorTab52400OW[wire], row, 4, Qt::AlignCenter);
    if (cell == kCellsPerDevice) {
      grid->addWidget(new QLabel("W12", box), row, 0);
      continue;
    }
    const int item = frame * kCellsPerDevice + cell;
    grid->addWidget(new QLabel(QString("C%1").arg(cell + 1), box), row, 0);
    tbMonitorTabCellVoltage[item] = MakeValueBox(box, "tbMonitorTabCellVoltage", item);
    grid->addWidget(tbMonitorTabCellVoltage[item], row, 1);
    ledMonitorTab52400OV[item] = MakeLed(box, "ledMonitorTab52400OV", item);
    ledMonitorTab52400UV[item] = MakeLed(box, "ledMonitorTab52400UV", item);
    ledMonitorTab52401OV[item] = MakeLed(box, "ledMonitorTab52401OV", item);
    ledMonitorTab52401UV[item] = MakeLed(box, "ledMonitorTab52401UV", item);
    grid->addWidget(ledMonitorTab52400OV[item], row, 2, Qt::AlignCenter);
    grid->addWidget(ledMonitorTab52400UV[item], row, 3, Qt::AlignCenter);
    grid->addWidget(ledMonitorTab52401OV[item], row, 5, Qt::AlignCenter);
    grid->addWidget(ledMonitorTab52401UV[item], row, 6, Qt::AlignCenter);
    companionWidgets_.insert(companionWidgets_.end(),
                             {ledMonitorTab52401OV[item], ledMonitorTab52401UV[item]});
  }

  const int last = kCellsPerDevice + 3;
  tbMonitorTabVbatVoltage[frame] = MakeValueBox(box, "tbMonitorTabVbatVoltage", frame);
  ledMonitorTabVssOW[frame] = MakeLed(box, "ledMonitorTabVssOW", frame);
  ledMonitorTabVbatOW[frame] = MakeLed(box, "ledMonitorTabVbatOW", frame);
  grid->addWidget(new QLabel("Vbat", box), last, 0);
  grid->addWidget(tbMonitorTabVbatVoltage[frame], last, 1);
  auto* openWire = new QHBoxLayout;
  openWire->addWidget(new QLabel("Vss", box));
  openWire->addWidget(ledMonitorTabVssOW[frame]);
  openWire->addWidget(new QLabel("Vbat", box));
  openWire->addWidget(ledMonitorTabVbatOW[frame]);
  openWire->addStretch();
  grid->addLayout(openWire, last, 2, 1, 5);
  return box;
}

void MonitorTabPage::ShowEnableMonitorTabFrames() {
  for (int frame = 0; frame < kMonitorFrames; ++frame) {
    fraDeviceVoltagesFaults[frame]->setEnabled(true);
    fraDeviceVoltagesFaults[frame]->setVisible(frameShown_[frame]);
  }
  shown_ = true;
  setVisible(true);
}

void MonitorTabPage::HideDisableMonitorTabFrames() {
  for (QGroupBox* frame : fraDeviceVoltagesFaults) {
    frame->setVisible(false);
    frame->setEnabled(false);
  }
  shown_ = false;
  setVisible(false);
}

void MonitorTabPage::SetPartNames(const std::string& primary, const std::string& companion) {
  qvm::SetPartNames(partHeadings_, primary, companion);
}

bool MonitorTabPage::FrameShown(int frame) const {
  return frame >= 0 && frame < kMonitorFrames && frameShown_[frame];
}

void MonitorTabPage::Apply(const MonitorTabStatus& status) {
  for (int j = 0; j < kMonitorFrames; ++j) {
    const MonitorFrame& frame = status.frames[j];
    frameShown_[j] = frame.shown;
    if (shown_) fraDeviceVoltagesFaults[j]->setVisible(frame.shown);
    for (int k = 0; k < kCellsPerDevice; ++k) {
      const int item = j * kCellsPerDevice + k;
      ledMonitorTab52400OV[item]->SetColour(frame.ov52400[k]);
      ledMonitorTab52400UV[item]->SetColour(frame.uv52400[k]);
      ledMonitorTab52401OV[item]->SetColour(frame.ov52401[k]);
      ledMonitorTab52401UV[item]->SetColour(frame.uv52401[k]);
      ShowValue(tbMonitorTabCellVoltage[item], frame.cellVoltage[k], timeOfDay_);
    }
    for (int e = 0; e < kOpenWireBits; ++e) {
      ledMonitorTab52400OW[j * kOpenWireBits + e]->SetColour(frame.ow52400[e]);
    }
    ledMonitorTabVssOW[j]->SetColour(frame.vssOW);
    ledMonitorTabVbatOW[j]->SetColour(frame.vbatOW);
    ShowValue(tbMonitorTabVbatVoltage[j], frame.vbatVoltage, timeOfDay_);
  }
  for (QWidget* widget : companionWidgets_) widget->setVisible(status.companionShown);
}

}  // namespace qvm
