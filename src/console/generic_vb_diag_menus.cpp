// SPDX-License-Identifier: MIT
// The menus and the dialogs they open.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "bench/frm_main_f340.h"
#include "config/configuration_file.h"
#include "console/about_text.h"
#include "console/generic_vb_diag.h"
#include "model/tab_definitions.h"
#include "operations/register_page.h"
#include "protocol/polling_guard.h"

namespace qvm {

namespace {
// 1-based tab numbers of the EEPROM utilities, as the shipped tab definitions lay them out.
constexpr int kFirstEepromTab = 19;
constexpr int kLastEepromTab = 37;
constexpr int kDeviceCommandsTab = 14;
constexpr int kReloadRow = 4;
}  // namespace

void GenericVbDiag::BuildMenus() {
  QMenu* file = menuBar()->addMenu("File");
  mnuLoadConfig = file->addAction("Load Configuration...");
  mnuSaveConfig = file->addAction("Save Configuration...");
  mnuLoadEE = file->addAction("Load EEPROM");
  mnuSaveEE = file->addAction("Save EEPROM");
  file->addSeparator();
  connect(file->addAction("Open Recording..."), &QAction::triggered, this, [this] {
    if (const auto path = deps_.host.AskOpenFileName("Open Recording",
                                                     "Chart recordings (*.csv);;All files (*)")) {
      OpenRecording(*path);
    }
  });
  file->addSeparator();
  connect(mnuSaveConfig, &QAction::triggered, this,
          [this] { SaveDeviceConfig(*session_, records_->configExport); });
  connect(mnuLoadConfig, &QAction::triggered, this,
          [this] { LoadConfigurationFile("LoadDeviceConfig"); });
  connect(mnuLoadEE, &QAction::triggered, this, [this] { LoadConfigurationFile("LoadDeviceEE"); });
  connect(mnuSaveEE, &QAction::triggered, this, [this] {
    if (SaveEeTestRegs(*session_, records_->configExport)) {
      RefreshDeviceMenu();
      TabStrip1_Click();
    }
  });
  connect(file->addAction("Exit"), &QAction::triggered, this, &QWidget::close);

  QMenu* spi = menuBar()->addMenu("SPI Options");
  mnuSetSpiSpeed = spi->addAction("SPI Clock Speed...");
  mnuSetSpiTimeout = spi->addAction("SPI Daisy Chain Timeout...");
  connect(mnuSetSpiSpeed, &QAction::triggered, this, [this] { spiClockSpeed_->open(); });
  connect(mnuSetSpiTimeout, &QAction::triggered, this, [this] { spiTimeout_->open(); });

  QMenu* polling = menuBar()->addMenu("Polling Options");
  mnuShowActivityLogs = polling->addAction("Polling Optiion Show Activity Log");
  mnuUpdateGUIControls = polling->addAction("Polling Update GUI Contols");
  mnuUpdateChart = polling->addAction("Polling Update Charts");
  for (QAction* item : {mnuShowActivityLogs, mnuUpdateGUIControls, mnuUpdateChart}) {
    item->setCheckable(true);
    item->setChecked(true);
  }
  mnuRecordCsv = polling->addAction("Record to CSV while polling");
  mnuRecordCsv->setCheckable(true);
  connect(mnuRecordCsv, &QAction::toggled, this, [this](bool on) {
    if (!chkEnablePolling->isChecked()) return;
    if (on) {
      StartCsvRecording();
    } else {
      StopCsvRecording();
    }
  });

  mnuPublishMqtt = polling->addAction("Publish to MQTT...");
  connect(mnuPublishMqtt, &QAction::triggered, this, [this] {
    publishDialog_->SetChoice(publishing_->Choice());
    publishDialog_->open();
  });

  QMenu* device = menuBar()->addMenu("Device");
  connect(device->addAction("Manual Configuration..."), &QAction::triggered, this,
          &GenericVbDiag::mnuManualConfig_Click);
  const char* submenus[] = {"QVM524XX", "QVM52401"};
  for (int type = 0; type < 2; ++type) {
    QMenu* sub = device->addMenu(submenus[type]);
    if (type == 1) mnuQVM52401 = sub;
    for (int c = 0; c < 16; ++c) {
      QAction* item = sub->addAction(QString("Device %1").arg(c));
      item->setCheckable(true);
      connect(item, &QAction::triggered, this, [this, type, c] { mnuDevNum_Click(type, c); });
      mnuDevNum[type][c] = item;
    }
  }

  mnuDemoMode = menuBar()->addAction("Demo Mode");
  mnuDemoMode->setCheckable(true);
  mnuDemoMode->setVisible(false);
  mnuDemoMode->setEnabled(false);
  connect(mnuDemoMode, &QAction::triggered, this, &GenericVbDiag::mnuDemoMode_Click);
  mnuEEPROMUtilities = menuBar()->addMenu("EEPROM Utilities");
  mnuEEPROMUtilities->setObjectName("mnuEEPROMUtilities");
  connect(mnuEEPROMUtilities->addAction("Read All EE Tabs"), &QAction::triggered, this,
          &GenericVbDiag::mnuEETabRead_Click);
  mnuReloadEeprom = mnuEEPROMUtilities->addAction("Reset / Reload EEPROM");
  connect(mnuReloadEeprom, &QAction::triggered, this, &GenericVbDiag::mnuReload_Click);
  connect(mnuEEPROMUtilities->addAction("Read EEPROM Currents"), &QAction::triggered, this,
          &GenericVbDiag::mnuEEALL_Currents_Click);
  mnuSoftReset = mnuEEPROMUtilities->addAction("Soft Reset");
  connect(mnuSoftReset, &QAction::triggered, this, &GenericVbDiag::mnuReloadBlock_Click);
  mnuTrace = menuBar()->addAction("Trace");
  connect(mnuTrace, &QAction::triggered, this, [this] {
    traceWindow_->show();
    traceWindow_->raise();
  });
  // The bridge board's own window (ports, SPI, I2C) on the console's link.
  mnuBridgeBoard = menuBar()->addAction("Bridge Board");
  mnuBridgeBoard->setObjectName("mnuBridgeBoard");
  mnuBridgeBoard->setEnabled(false);
  connect(mnuBridgeBoard, &QAction::triggered, this, [this] {
    bench_->show();
    bench_->raise();
    bench_->activateWindow();
  });
  connect(menuBar()->addAction("About"), &QAction::triggered, this, &GenericVbDiag::mnuAbout_Click);
}

void GenericVbDiag::ReadGroupOnTabs(int first, int last) {
  for (int tab = first; tab <= last && tab <= TabStrip1->count(); ++tab) {
    SelectTab(tab - 1);
    deps_.host.PumpEvents();
    ReadRegisterGroup(*session_);
    deps_.host.PumpEvents();
  }
}

void GenericVbDiag::mnuEETabRead_Click() {
  ReadGroupOnTabs(kFirstEepromTab, kLastEepromTab);
  SelectTab(kFirstEepromTab - 1);
}

bool GenericVbDiag::ReloadFromDeviceCommands() {
  // The companion's tabs end before the device commands page: its row 4 is not the reload.
  if (TabStrip1->count() < kDeviceCommandsTab) return false;
  const int remembered = TabStrip1->currentIndex();
  SelectTab(kDeviceCommandsTab - 1);
  ReadRegisterRow(*session_, kReloadRow);
  deps_.host.PumpEvents();
  SelectTab(remembered);
  return true;
}

void GenericVbDiag::EnableDeviceCommandEntries() {
  const bool present = TabStrip1->count() >= kDeviceCommandsTab;
  mnuReloadEeprom->setEnabled(present);
  mnuSoftReset->setEnabled(present);
}

void GenericVbDiag::mnuReload_Click() {
  if (!ReloadFromDeviceCommands()) return;
  mnuEETabRead_Click();
}

void GenericVbDiag::mnuReloadBlock_Click() {
  if (!ReloadFromDeviceCommands()) return;
  ReadRegisterGroup(*session_);
}

void GenericVbDiag::mnuEEALL_Currents_Click() {
  ReadGroupOnTabs(kFirstEepromTab, kFirstEepromTab);
}

void GenericVbDiag::ApplyCompanionVisibility() {
  const SharedState& state = session_->state;
  mainTabPage->SetPartNames(state.PartName52400, state.PartName52401);
  monitorTabPage->SetPartNames(state.PartName52400, state.PartName52401);
  const CompanionVisibility companion = CompanionVisibilityFor(state.PartName52401);
  // The primary's own name wherever its type is named: its option, hex log and Link row.
  const QString primary = QString::fromStdString(state.PartName52400);
  opt52400->setText(primary);
  static_cast<QLabel*>(logCaptions[1])->setText(primary + " Hex Log");
  linkLabels_[0]->setText(primary);
  if (!companion.hidden && !state.PartName52401.empty()) {
    const QString secondary = QString::fromStdString(state.PartName52401);
    opt52401->setText(secondary);
    static_cast<QLabel*>(logCaptions[2])->setText(secondary + " Hex Log");
    linkLabels_[1]->setText(secondary);
  }
  opt52401->setVisible(!companion.hidden);
  led52401Pres->setVisible(!companion.hidden);
  for (QWidget* part : {static_cast<QWidget*>(linkLabels_[1]), static_cast<QWidget*>(ledCom[1]),
                        static_cast<QWidget*>(ledAck[1]), static_cast<QWidget*>(ledNack[1]),
                        static_cast<QWidget*>(ledFault[1])}) {
    part->setVisible(!companion.hidden);
  }
  mnuQVM52401->menuAction()->setVisible(!companion.hidden);
  if (!companion.hidden) mnuQVM52401->setTitle(QString::fromStdString(companion.menuCaption));
  const bool hexLog = !companion.hidden && companion.showHexLog;
  for (QWidget* part : {static_cast<QWidget*>(hexLogs[1]), logCaptions[2],
                        static_cast<QWidget*>(clearLogButtons[2])}) {
    part->setVisible(hexLog);
  }
}

// The file entries talk to the devices, so they are offered while connected.
void GenericVbDiag::EnableConfigurationFiles(bool enable) {
  for (QAction* item : {mnuLoadConfig, mnuSaveConfig, mnuLoadEE, mnuSaveEE}) {
    item->setEnabled(enable);
  }
  mnuEEPROMUtilities->setEnabled(enable);
}

void GenericVbDiag::LoadConfigurationFile(const std::string& procedure) {
  const std::string documents = records_->files.DocumentsFolder().value_or("");
  if (!LoadDeviceConfig(*session_, procedure, documents).empty()) TabStrip1_Click();
}

void GenericVbDiag::mnuAbout_Click() {
  deps_.host.ShowMessage("About", AboutText());
}

void GenericVbDiag::mnuManualConfig_Click() {
  modalConfigPending_ = true;
  manualConfig_->show();
  manualConfig_->raise();
}

void GenericVbDiag::BuildBalancingTools() {
  balanceRegisters_ = new FrmBalanceRegisters(*session_, this);
  balanceSequence_ = new FrmBalanceSequence(*session_, this);
  const std::array<std::pair<QDialog*, QPushButton*>, 2> tools = {
      {{balanceRegisters_, mainTabPage->cbConfigureBalanceRegs},
       {balanceSequence_, mainTabPage->cbConfigureBalanceSequence}}};
  for (const auto& [tool, button] : tools) {
    // The tools may change the selected device and register values.
    connect(tool, &QDialog::finished, this, [this] {
      RefreshDeviceMenu();
      TabStrip1_Click();
      ResumeUprPolling(*session_);
    });
    connect(button, &QPushButton::clicked, this, [this, dialog = tool] {
      PauseUprPolling(*session_);
      dialog->open();
    });
  }
  for (BalanceToolHeader* header : BalanceToolHeaders()) {
    header->onDeviceChosen = [this](int index) {
      for (QComboBox* list : DeviceLists()) list->setCurrentIndex(index);
    };
  }
}

std::array<BalanceToolHeader*, 2> GenericVbDiag::BalanceToolHeaders() const {
  return {balanceRegisters_->header, balanceSequence_->header};
}

void GenericVbDiag::mnuDemoMode_Click() {
  SharedState& state = session_->state;
  if (session_->bridge.EvbConnected) {
    mnuDemoMode->setChecked(state.DemoMode);
    return;
  }
  state.DemoMode = mnuDemoMode->isChecked();
  cmdConnect->setEnabled(!state.DemoMode);
}

bool GenericVbDiag::OpenRecording(const std::string& path) {
  std::string error;
  std::unique_ptr<RecordingWindow> opened =
      RecordingWindow::Open(*session_, records_->chartExport, path, error);
  if (!opened) {
    deps_.host.ShowMessage("Open Recording", error);
    return false;
  }
  recording_ = std::move(opened);
  AppendLog("Opened recording " + recording_->Summary() + "\r\n");
  FrmCharting& window = recording_->Window();
  window.show();
  window.raise();
  return true;
}

}  // namespace qvm
