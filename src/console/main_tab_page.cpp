// SPDX-License-Identifier: MIT
#include "console/main_tab_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "console/page_widgets.h"
#include "console/shown_value_box.h"
#include "model/balance_lists.h"
#include "protocol/polling_guard.h"
#include "ui/display_locale.h"

namespace qvm {

namespace {

const char* const kSwitchOnStyle = "background-color: #FFFF00;";

}  // namespace

MainTabPage::MainTabPage(Session& session, TimeOfDay timeOfDay, QWidget* parent)
    : QWidget(parent), session_(session), timeOfDay_(std::move(timeOfDay)) {
  setObjectName("MainTabPage");
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  fraMainTabDeviceStatus = BuildDeviceStatus();
  layout->addWidget(fraMainTabDeviceStatus, 0, Qt::AlignTop);
  auto* middle = new QVBoxLayout;
  fraMainTabTemperatures = BuildTemperatures();
  fraMainTabThresholds = BuildThresholds();
  fraMainTabBalanceCtrls = BuildBalanceControls();
  middle->addWidget(fraMainTabTemperatures);
  middle->addWidget(fraMainTabThresholds);
  middle->addWidget(fraMainTabBalanceCtrls);
  middle->addStretch();
  layout->addLayout(middle);
  fraMainTabDaisyChainStatus = BuildDaisyChainStatus();
  layout->addWidget(fraMainTabDaisyChainStatus, 0, Qt::AlignTop);
  layout->addStretch();
  HideDisableMainTabFrames();
}

QGroupBox* MainTabPage::BuildDeviceStatus() {
  auto* frame = new QGroupBox("Device Status", this);
  frame->setObjectName("fraMainTabDeviceStatus");
  auto* grid = new QGridLayout(frame);
  grid->setVerticalSpacing(2);
  partHeadings_.push_back(
      AddPartHeadings(grid, frame, {"", "Volts", "Setup", "OV", "UV", "OW", "Setup", "OV", "UV"}, 6,
                      companionWidgets_));

  // One row per cell; the open-wire column counts the 13 wires, the last on its own row.
  for (int cell = 0; cell <= kCellsPerDevice; ++cell) {
    const int row = cell + 2;
    if (cell == kCellsPerDevice) {
      grid->addWidget(new QLabel("Wire 12", frame), row, 0);
    } else {
      grid->addWidget(new QLabel(QString("Cell %1").arg(cell + 1), frame), row, 0);
      tbMainTabCellVoltage[cell] = MakeValueBox(frame, "tbMainTabCellVoltage", cell);
      grid->addWidget(tbMainTabCellVoltage[cell], row, 1);
      for (int type = 0; type < 2; ++type) {
        const int item = cell + type * kCellsPerDevice;
        ledMainTabCellSetup[item] = MakeLed(frame, "ledMainTabCellSetup", item);
        ledMainTabCellOV[item] = MakeLed(frame, "ledMainTabCellOV", item);
        ledMainTabCellUV[item] = MakeLed(frame, "ledMainTabCellUV", item);
        const int column = type == 0 ? 2 : 6;
        grid->addWidget(ledMainTabCellSetup[item], row, column, Qt::AlignCenter);
        grid->addWidget(ledMainTabCellOV[item], row, column + 1, Qt::AlignCenter);
        grid->addWidget(ledMainTabCellUV[item], row, column + 2, Qt::AlignCenter);
        if (type == 1) {
          companionWidgets_.insert(
              companionWidgets_.end(),
              {ledMainTabCellSetup[item], ledMainTabCellOV[item], ledMainTabCellUV[item]});
        }
      }
    }
    ledMainTabCellOW[cell] = MakeLed(frame, "ledMainTabCellOW", cell);
    grid->addWidget(ledMainTabCellOW[cell], row, 5, Qt::AlignCenter);
  }

  auto* pack = new QHBoxLayout;
  tbMainTabVbatVoltage = MakeValueBox(frame, "tbMainTabVbatVoltage");
  ledMainTabVssOW = MakeLed(frame, "ledMainTabVssOW");
  ledMainTabVbatOW = MakeLed(frame, "ledMainTabVbatOW");
  pack->addWidget(new QLabel("Vbat", frame));
  pack->addWidget(tbMainTabVbatVoltage);
  pack->addWidget(new QLabel("V", frame));
  pack->addSpacing(12);
  pack->addWidget(new QLabel("Vss OW", frame));
  pack->addWidget(ledMainTabVssOW);
  pack->addSpacing(8);
  pack->addWidget(new QLabel("Vbat OW", frame));
  pack->addWidget(ledMainTabVbatOW);
  pack->addStretch();
  grid->addLayout(pack, kCellsPerDevice + 3, 0, 1, 9);
  return frame;
}

QGroupBox* MainTabPage::BuildTemperatures() {
  auto* frame = new QGroupBox("Temperatures", this);
  frame->setObjectName("fraMainTabTemperatures");
  auto* grid = new QGridLayout(frame);
  const char* captions[] = {"Internal", "External 1", "External 2", "External 3", "External 4"};
  const char* units[] = {"°C", "V", "V", "V", "V"};
  for (int input = 0; input < 5; ++input) {
    tbMainTabTemperatures[input] = MakeValueBox(frame, "tbMainTabTemperatures", input);
    grid->addWidget(new QLabel(captions[input], frame), input, 0);
    grid->addWidget(tbMainTabTemperatures[input], input, 1);
    grid->addWidget(new QLabel(units[input], frame), input, 2);
  }
  return frame;
}

QGroupBox* MainTabPage::BuildThresholds() {
  auto* frame = new QGroupBox("Thresholds", this);
  frame->setObjectName("fraMainTabThresholds");
  auto* grid = new QGridLayout(frame);
  tbMainTabOVLimit = MakeValueBox(frame, "tbMainTabOVLimit");
  tbMainTabUVLimit = MakeValueBox(frame, "tbMainTabUVLimit");
  tbMainTabITLimit = MakeValueBox(frame, "tbMainTabITLimit");
  const std::array<std::pair<const char*, QLineEdit*>, 3> rows = {{{"OV Limit", tbMainTabOVLimit},
                                                                   {"UV Limit", tbMainTabUVLimit},
                                                                   {"IT Limit", tbMainTabITLimit}}};
  const char* units[] = {"V", "V", "°C"};
  for (int row = 0; row < 3; ++row) {
    grid->addWidget(new QLabel(rows[row].first, frame), row, 0);
    grid->addWidget(rows[row].second, row, 1);
    grid->addWidget(new QLabel(units[row], frame), row, 2);
  }
  return frame;
}

QGroupBox* MainTabPage::BuildBalanceControls() {
  auto* frame = new QGroupBox("Cell Balancing", this);
  frame->setObjectName("fraMainTabBalanceCtrls");
  auto* layout = new QVBoxLayout(frame);
  chkEnableCellBalance = new QCheckBox("Enable Cell Balancing", frame);
  chkEnableCellBalance->setObjectName("chkEnableCellBalance");
  layout->addWidget(chkEnableCellBalance);

  auto* lists = new QGridLayout;
  connect(chkEnableCellBalance, &QCheckBox::clicked, this, [this](bool checked) {
    ChangeSetting(BalanceSetting::CellBalanceEnable, checked ? 1 : 0);
  });
  cboBalanceMode =
      MakeBalanceList(frame, "cboBalanceMode", BalanceModeEntries(), BalanceSetting::Mode);
  cboBalanceTimeout =
      MakeBalanceList(frame, "cboBalanceTimeout", BalanceTimeoutEntries(DisplayDecimalSeparator()),
                      BalanceSetting::Timeout);
  cboBalanceWait =
      MakeBalanceList(frame, "cboBalanceWait", BalanceWaitEntries(), BalanceSetting::Wait);
  lists->addWidget(new QLabel("Mode", frame), 0, 0);
  lists->addWidget(cboBalanceMode, 0, 1);
  lists->addWidget(new QLabel("Timeout", frame), 1, 0);
  lists->addWidget(cboBalanceTimeout, 1, 1);
  lists->addWidget(new QLabel("Wait", frame), 2, 0);
  lists->addWidget(cboBalanceWait, 2, 1);
  layout->addLayout(lists);

  auto* cells = new QGridLayout;
  cells->setSpacing(2);
  for (int cell = 0; cell < kCellsPerDevice; ++cell) {
    auto* button = new QPushButton("Off", frame);
    button->setObjectName(QString("cbMainTabBalCtrl%1").arg(cell));
    button->setFixedWidth(40);
    cbMainTabBalCtrl[cell] = button;
    connect(button, &QPushButton::clicked, this, [this, cell] { cbMainTabBalCtrl_Click(cell); });
    const int row = (cell / 6) * 2;
    cells->addWidget(MakeHeading(frame, QString::number(cell + 1)), row, cell % 6);
    cells->addWidget(button, row + 1, cell % 6);
  }
  layout->addLayout(cells);

  auto* dialogs = new QHBoxLayout;
  cbConfigureBalanceRegs = new QPushButton("Registers...", frame);
  cbConfigureBalanceRegs->setObjectName("cbConfigureBalanceRegs");
  cbConfigureBalanceSequence = new QPushButton("Sequence...", frame);
  cbConfigureBalanceSequence->setObjectName("cbConfigureBalanceSequence");
  dialogs->addWidget(cbConfigureBalanceRegs);
  dialogs->addWidget(cbConfigureBalanceSequence);
  layout->addLayout(dialogs);
  BalanceButtons hidden{};
  DisableMainTabBalCtrlButtons(hidden);
  ApplyBalanceButtons(hidden);
  return frame;
}

QGroupBox* MainTabPage::BuildDaisyChainStatus() {
  auto* frame = new QGroupBox("Daisy Chain Status", this);
  frame->setObjectName("fraMainTabDaisyChainStatus");
  auto* grid = new QGridLayout(frame);
  grid->setVerticalSpacing(2);
  partHeadings_.push_back(AddPartHeadings(
      grid, frame, {"Dev", "Pres", "Fault", "Vbat", "Pres", "Fault"}, 4, companionWidgets_));
  for (int device = 0; device < kChainDevices; ++device) {
    const int row = device + 2;
    grid->addWidget(MakeHeading(frame, QString::number(device + 1)), row, 0);
    for (int type = 0; type < 2; ++type) {
      const int item = device + type * kChainDevices;
      ledMainTabDevicePres[item] = MakeLed(frame, "ledMainTabDevicePres", item);
      ledMainTabDeviceFault[item] = MakeLed(frame, "ledMainTabDeviceFault", item);
      const int column = type == 0 ? 1 : 4;
      grid->addWidget(ledMainTabDevicePres[item], row, column, Qt::AlignCenter);
      grid->addWidget(ledMainTabDeviceFault[item], row, column + 1, Qt::AlignCenter);
      if (type == 1) {
        companionWidgets_.insert(companionWidgets_.end(),
                                 {ledMainTabDevicePres[item], ledMainTabDeviceFault[item]});
      }
    }
    tbMainTabDeviceVbat[device] = MakeValueBox(frame, "tbMainTabDeviceVbat", device);
    grid->addWidget(tbMainTabDeviceVbat[device], row, 3);
  }
  tbMainTabStackVoltage = MakeValueBox(frame, "tbMainTabStackVoltage");
  const int last = kChainDevices + 2;
  grid->addWidget(new QLabel("Stack", frame), last, 0, 1, 3, Qt::AlignRight);
  grid->addWidget(tbMainTabStackVoltage, last, 3);
  grid->addWidget(new QLabel("V", frame), last, 4);
  return frame;
}

std::array<QGroupBox*, 5> MainTabPage::Frames() const {
  return {fraMainTabDeviceStatus, fraMainTabBalanceCtrls, fraMainTabTemperatures,
          fraMainTabThresholds, fraMainTabDaisyChainStatus};
}

void MainTabPage::ShowEnableMainTabFrames() {
  for (QGroupBox* frame : Frames()) {
    frame->setVisible(true);
    frame->setEnabled(true);
  }
  shown_ = true;
  setVisible(true);
}

void MainTabPage::HideDisableMainTabFrames() {
  for (QGroupBox* frame : Frames()) {
    frame->setVisible(false);
    frame->setEnabled(false);
  }
  shown_ = false;
  setVisible(false);
}

void MainTabPage::SetPartNames(const std::string& primary, const std::string& companion) {
  qvm::SetPartNames(partHeadings_, primary, companion);
}

void MainTabPage::ApplyBalanceButtons(const BalanceButtons& buttons) {
  for (int cell = 0; cell < kCellsPerDevice; ++cell) {
    const BalanceButton& model = buttons[cell];
    QPushButton* button = cbMainTabBalCtrl[cell];
    button->setVisible(model.visible);
    button->setEnabled(model.enabled);
    button->setText(QString::fromStdString(model.caption));
    // A style sheet set again restyles the button even when it is the same.
    const QString style = model.background == ButtonBackground::Yellow ? kSwitchOnStyle : QString();
    if (button->styleSheet() != style) button->setStyleSheet(style);
  }
}

PopupComboBox* MainTabPage::MakeBalanceList(QWidget* parent, const char* name,
                                            const std::vector<std::string>& entries,
                                            BalanceSetting setting) {
  auto* list = new PopupComboBox(parent);
  list->setObjectName(name);
  for (const std::string& entry : entries) list->addItem(QString::fromStdString(entry));
  // Polling holds while the list is open, so the user's choice is not overtaken by a refresh.
  list->onPopupShown = [this] { PauseUprPolling(session_); };
  list->onPopupHidden = [this] { ResumeUprPolling(session_); };
  connect(list, &QComboBox::activated, this,
          [this, setting](int index) { ChangeSetting(setting, index); });
  return list;
}

void MainTabPage::ChangeSetting(BalanceSetting setting, int value) {
  BalanceControlsView paint;
  paint.enableCellButtons = [this] {
    BalanceButtons shown{};
    EnableMainTabBalCtrlButtons(shown);
    for (int cell = 0; cell < kCellsPerDevice; ++cell) {
      cbMainTabBalCtrl[cell]->setVisible(shown[cell].visible);
      cbMainTabBalCtrl[cell]->setEnabled(shown[cell].enabled);
    }
  };
  paint.disableCellButtons = [this] {
    BalanceButtons hidden{};
    DisableMainTabBalCtrlButtons(hidden);
    ApplyBalanceButtons(hidden);
  };
  paint.refreshCellButtons = [this] {
    ApplyBalanceButtons(RefreshMainTabBalCtrlButtons(session_.image, session_.state));
  };
  ChangeBalanceSetting(session_, setting, value, paint);
}

void MainTabPage::cbMainTabBalCtrl_Click(int cell) {
  QPushButton* button = cbMainTabBalCtrl[cell];
  const std::optional<bool> on = ToggleCellBalance(session_, cell, button->text() == "On");
  if (!on) return;
  button->setText(*on ? "On" : "Off");
  button->setStyleSheet(*on ? kSwitchOnStyle : QString());
}

void MainTabPage::Apply(const MainTabDeviceStatus& status, SharedState& state) {
  for (std::size_t i = 0; i < status.cellSetup.size(); ++i) {
    ledMainTabCellSetup[i]->SetColour(status.cellSetup[i]);
    ledMainTabCellOV[i]->SetColour(status.cellOV[i]);
    ledMainTabCellUV[i]->SetColour(status.cellUV[i]);
  }
  for (std::size_t i = 0; i < status.cellOW.size(); ++i) {
    ledMainTabCellOW[i]->SetColour(status.cellOW[i]);
  }
  ledMainTabVssOW->SetColour(status.vssOW);
  ledMainTabVbatOW->SetColour(status.vbatOW);
  for (std::size_t i = 0; i < status.cellVoltage.size(); ++i) {
    ShowValue(tbMainTabCellVoltage[i], status.cellVoltage[i], timeOfDay_);
  }
  ShowValue(tbMainTabVbatVoltage, status.vbatVoltage, timeOfDay_);
  for (std::size_t i = 0; i < status.temperatures.size(); ++i) {
    ShowValue(tbMainTabTemperatures[i], status.temperatures[i], timeOfDay_);
  }
  ShowValue(tbMainTabOVLimit, status.ovLimit, timeOfDay_);
  ShowValue(tbMainTabUVLimit, status.uvLimit, timeOfDay_);
  ShowValue(tbMainTabITLimit, status.itLimit, timeOfDay_);

  state.SuppressControlEvents = true;
  if (status.balance) {
    cboBalanceMode->setCurrentIndex(status.balance->modeIndex);
    cboBalanceTimeout->setCurrentIndex(status.balance->timeoutIndex);
    cboBalanceWait->setCurrentIndex(status.balance->waitIndex);
    chkEnableCellBalance->setChecked(status.balance->enabled);
    ApplyBalanceButtons(status.balance->buttons);
  }
  state.SuppressControlEvents = false;

  for (std::size_t i = 0; i < status.devicePresent.size(); ++i) {
    ledMainTabDevicePres[i]->SetColour(status.devicePresent[i]);
    ledMainTabDeviceFault[i]->SetColour(status.deviceFault[i]);
  }
  for (std::size_t i = 0; i < status.deviceVbat.size(); ++i) {
    ShowValue(tbMainTabDeviceVbat[i], status.deviceVbat[i], timeOfDay_);
  }
  ShowValue(tbMainTabStackVoltage, status.stackVoltage, timeOfDay_);
  for (QWidget* widget : companionWidgets_) widget->setVisible(status.companionShown);
}

}  // namespace qvm
