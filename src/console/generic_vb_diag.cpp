#include "console/generic_vb_diag.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>

#include "bench/frm_main_f340.h"
#include "config/configuration_file.h"
#include "console/about_text.h"
#include "console/device_menu_state.h"
#include "console/page_widgets.h"
#include "console/read_time_of_day.h"
#include "core/error_trap.h"
#include "model/display_rules.h"
#include "model/leading_number.h"
#include "model/tab_definition_check.h"
#include "model/tab_definition_file.h"
#include "model/tab_definitions.h"
#include "operations/register_page.h"
#include "protocol/board_init.h"
#include "protocol/command_frame.h"
#include "protocol/polling_guard.h"
#include "ui/display_locale.h"

namespace qvm {

namespace {
constexpr int kConfigDialogDelayMs = 350;
// 1-based tab numbers of the EEPROM utilities, as the shipped tab definitions lay them out.
constexpr int kFirstEepromTab = 19;
constexpr int kLastEepromTab = 37;
constexpr int kDeviceCommandsTab = 14;
constexpr int kReloadRow = 4;
// The tab the bridge's bad UPR status brings forward.
constexpr int kStatusTab = 1;
constexpr int kBoardWatchIntervalMs = 1000;
constexpr const char* kBoardBackText =
    "The evaluation board is back: press Reconnect to connect and identify the devices again.";
}  // namespace

GenericVbDiag::GenericVbDiag(const ConsoleDeps& deps, QWidget* parent)
    : QMainWindow(parent), deps_(deps) {
  setObjectName("generic_vb_diag");
  BuildWidgets();
  BuildMenus();
  polling_ = std::make_unique<TimerPolling>(Timer2, *chkEnablePolling);
  session_ =
      std::make_unique<Session>(deps_.bus, deps_.host, deps_.clock, *this, faultRelay_, *polling_);
  session_->bridge.VendorId = deps_.vendorId;
  records_ = std::make_unique<ConsoleRecords>(*session_, this);
  faultRelay_.SetTarget(&records_->faults);
  BuildPageArea();
  manualConfig_ = new FrmManualConfig(this);
  connect(manualConfig_, &FrmManualConfig::ChoiceAccepted, this, &GenericVbDiag::OnManualConfigOk);
  pollOptions_ = new FrmPollOptions(session_->state, this);
  connect(pollOptions_, &FrmPollOptions::OptionsAccepted, this,
          &GenericVbDiag::OnPollOptionsAccepted);
  connect(chkEnablePolling, &QCheckBox::toggled, this, &GenericVbDiag::chkEnablePolling_Click);
  connect(&Timer2, &QTimer::timeout, this, &GenericVbDiag::Timer2_Timer);
  connect(tbPollingInterval, &QLineEdit::textEdited, this,
          &GenericVbDiag::tbPollingInterval_Change);
  connect(cmdPollingSetup, &QPushButton::clicked, this, &GenericVbDiag::cmdPollingSetup_Click);
  connect(cmdLogToFile, &QPushButton::clicked, this, &GenericVbDiag::cmdLogToFile_Click);
  connect(cmdShowChart, &QPushButton::clicked, this, &GenericVbDiag::cmdShowChart_Click);
  chartWindow_ = new FrmCharting(*session_, records_->chart, records_->chartExport, this);
  traceWindow_ = new FrmTrace(deps_.host, this);
  BuildBalancingTools();
  spiClockSpeed_ = new FrmSpiClockSpeed(*session_, this);
  spiTimeout_ = new FrmSpiTimeout(*session_, this);
  connect(manualConfig_, &FrmManualConfig::ChoiceCancelled, this, [this] {
    session_->state.ManualConfigAccepted = false;
    modalConfigPending_ = false;
  });
  boardWatch_.setInterval(kBoardWatchIntervalMs);
  connect(&boardWatch_, &QTimer::timeout, this, &GenericVbDiag::WatchForBoard);
}

// The pages act on the session and the chart window on the records, so they go before those do.
GenericVbDiag::~GenericVbDiag() {
  delete pageHost_;
  delete chartWindow_;
  faultRelay_.SetTarget(nullptr);
}

void GenericVbDiag::BuildWidgets() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);

  auto* top = new QHBoxLayout;
  cmdConnect = new QPushButton("Connect", central);
  cmdConnect->setObjectName("cmdConnect");
  cmdDisconnect = new QPushButton("Disconnect", central);
  cmdDisconnect->setObjectName("cmdDisconnect");
  cmdReconnect = new QPushButton("Reconnect", central);
  cmdReconnect->setObjectName("cmdReconnect");
  cmdReconnect->hide();
  ledUSBConnected = new LedIndicator(central);
  ledUSBConnected->setObjectName("ledUSBConnected");
  led52400Pres = new LedIndicator(central);
  led52400Pres->setObjectName("led52400Pres");
  led52401Pres = new LedIndicator(central);
  led52401Pres->setObjectName("led52401Pres");
  top->addWidget(cmdConnect);
  top->addWidget(cmdDisconnect);
  top->addWidget(cmdReconnect);
  top->addWidget(new QLabel("USB", central));
  top->addWidget(ledUSBConnected);
  ShpAttach = new LedIndicator(central);
  ShpAttach->setObjectName("ShpAttach");
  ShpAttach->setToolTip("Link attachment: light red after a lost transfer");
  top->addWidget(ShpAttach);

  opt52400 = new QRadioButton("QVM52400", central);
  opt52400->setObjectName("opt52400");
  opt52401 = new QRadioButton("QVM52401", central);
  opt52401->setObjectName("opt52401");
  top->addWidget(opt52400);
  top->addWidget(led52400Pres);
  top->addWidget(opt52401);
  top->addWidget(led52401Pres);

  fraDeviceNumber = new QGroupBox("Device Number", central);
  fraDeviceNumber->setObjectName("fraDeviceNumber");
  cboDeviceNumber = new QComboBox(fraDeviceNumber);
  cboDeviceNumber->setObjectName("cboDeviceNumber");
  (new QVBoxLayout(fraDeviceNumber))->addWidget(cboDeviceNumber);
  top->addWidget(fraDeviceNumber);

  fraPollingControls = new QGroupBox("Polling", central);
  fraPollingControls->setObjectName("fraPollingControls");
  chkEnablePolling = new QCheckBox("ENABLE POLLING", fraPollingControls);
  chkEnablePolling->setObjectName("chkEnablePolling");
  tbPollingInterval = new QLineEdit("500", fraPollingControls);
  tbPollingInterval->setObjectName("tbPollingInterval");
  tbPollingInterval->setFixedWidth(56);
  tbPollingInterval->setToolTip("Polling interval in milliseconds (50 to 5000)");
  cmdPollingSetup = new QPushButton("Polling Setup...", fraPollingControls);
  cmdPollingSetup->setObjectName("cmdPollingSetup");
  cmdLogToFile = new QPushButton("Start Logging File", fraPollingControls);
  cmdLogToFile->setObjectName("cmdLogToFile");
  cmdShowChart = new QPushButton("Show Chart", fraPollingControls);
  cmdShowChart->setObjectName("cmdShowChart");
  auto* pollingGrid = new QGridLayout(fraPollingControls);
  pollingGrid->addWidget(chkEnablePolling, 0, 0, 1, 2);
  pollingGrid->addWidget(tbPollingInterval, 1, 0);
  pollingGrid->addWidget(new QLabel("ms", fraPollingControls), 1, 1);
  pollingGrid->addWidget(cmdPollingSetup, 1, 2);
  pollingGrid->addWidget(cmdLogToFile, 0, 2);
  pollingGrid->addWidget(cmdShowChart, 1, 3);
  top->addWidget(fraPollingControls);
  top->addWidget(BuildStatusLeds(central));
  top->addStretch();
  layout->addLayout(top);

  TabStrip1 = new QTabBar(central);
  TabStrip1->setObjectName("TabStrip1");
  TabStrip1->setExpanding(false);
  layout->addWidget(TabStrip1);
  pageHost_ = new QWidget(central);
  layout->addWidget(pageHost_, 3);

  auto* logs = new QGridLayout;
  txtLog = new LogBox(central);
  txtLog->setObjectName("txtLog");
  const char* hexNames[] = {"txt52400HexLog", "txt52401HexLog"};
  const char* captions[] = {"Activity Log", "QVM52400 Hex Log", "QVM52401 Hex Log"};
  const char* clearNames[] = {"cmdClearLog", "cmdClear52400HexLog", "cmdClear52401HexLog"};
  std::array<LogBox*, 3> boxes = {txtLog, nullptr, nullptr};
  for (int i = 0; i < 2; ++i) {
    hexLogs[i] = new LogBox(central);
    hexLogs[i]->setObjectName(hexNames[i]);
    boxes[i + 1] = hexLogs[i];
  }
  for (int i = 0; i < 3; ++i) {
    boxes[i]->setReadOnly(true);
    boxes[i]->setMaximumBlockCount(5000);
    logCaptions[i] = new QLabel(captions[i], central);
    logs->addWidget(logCaptions[i], 0, i);
    logs->addWidget(boxes[i], 1, i);
    auto* clear = new QPushButton("Clear Log", central);
    clear->setObjectName(clearNames[i]);
    clearLogButtons[i] = clear;
    LogBox* box = boxes[i];
    connect(clear, &QPushButton::clicked, box, [box] { box->clear(); });
    logs->addWidget(clear, 2, i);
  }
  layout->addLayout(logs, 1);
  setCentralWidget(central);

  connect(cmdConnect, &QPushButton::clicked, this, &GenericVbDiag::cmdConnect_Click);
  connect(cmdDisconnect, &QPushButton::clicked, this, &GenericVbDiag::cmdDisconnect_Click);
  connect(cmdReconnect, &QPushButton::clicked, this, &GenericVbDiag::cmdReconnect_Click);
  connect(opt52400, &QRadioButton::clicked, this, [this] { SelectDeviceType(0); });
  connect(opt52401, &QRadioButton::clicked, this, [this] { SelectDeviceType(1); });
  connect(cboDeviceNumber, &QComboBox::activated, this, &GenericVbDiag::cboDeviceNumber_Click);
  connect(TabStrip1, &QTabBar::currentChanged, this, [this] { TabStrip1_Click(); });
  resize(1360, 900);
}

QWidget* GenericVbDiag::BuildStatusLeds(QWidget* parent) {
  auto* frame = new QGroupBox("Link", parent);
  frame->setObjectName("fraLinkStatus");
  auto* grid = new QGridLayout(frame);
  grid->setVerticalSpacing(0);
  const char* headings[] = {"Com", "Ack", "Nack", "Fault"};
  for (int column = 0; column < 4; ++column) {
    grid->addWidget(MakeHeading(frame, headings[column]), 0, column + 1);
  }
  const char* types[] = {"52400", "52401"};
  for (int type = 0; type < 2; ++type) {
    const QString part = types[type];
    linkLabels_[type] = new QLabel("QVM" + part, frame);
    linkLabels_[type]->setObjectName("lblLink" + part);
    grid->addWidget(linkLabels_[type], type + 1, 0);
    ledCom[type] = MakeLed(frame, "led" + part + "Com");
    ledAck[type] = MakeLed(frame, "led" + part + "Ack");
    ledNack[type] = MakeLed(frame, "led" + part + "Nack");
    ledFault[type] = MakeLed(frame, "led" + part + "Fault");
    int column = 1;
    for (LedIndicator* led : {ledCom[type], ledAck[type], ledNack[type], ledFault[type]}) {
      grid->addWidget(led, type + 1, column++, Qt::AlignCenter);
    }
  }
  ledPolling = MakeLed(frame, "ledPolling");
  grid->addWidget(new QLabel("Poll", frame), 0, 5);
  grid->addWidget(ledPolling, 1, 5, Qt::AlignCenter);
  return frame;
}

void GenericVbDiag::BuildPageArea() {
  auto* row = new QHBoxLayout(pageHost_);
  row->setContentsMargins(0, 0, 0, 0);
  auto* pages = new QWidget;
  auto* column = new QVBoxLayout(pages);
  column->setContentsMargins(0, 0, 0, 0);
  const ReadTimeOfDay timeOfDay(deps_.clock, records_->time);
  mainTabPage = new MainTabPage(*session_, timeOfDay, pages);
  monitorTabPage = new MonitorTabPage(timeOfDay, pages);
  rawMessageSender = new RawMessageSender(*session_, pages);
  RegisterSlotHooks hooks;
  hooks.mainTabDeviceStatusVisible = [this] { return MainTabDeviceStatusVisible(); };
  hooks.updateMainTabDeviceStatusControls = [this] { UpdateMainTabDeviceStatusControls(); };
  hooks.monitorTabVisible = [this] { return MonitorTabVisible(); };
  hooks.updateMonitorTabControls = [this] { UpdateMonitorTabControls(); };
  hooks.reportError = [this](const std::string& text) {
    deps_.host.ShowMessage(session_->bridge.MessageTitle, text);
  };
  registerEditor = new RegisterEditor(*session_, std::move(hooks), timeOfDay, pages);
  column->addWidget(mainTabPage);
  column->addWidget(monitorTabPage);
  column->addWidget(rawMessageSender, 0, Qt::AlignLeft);
  column->addWidget(registerEditor);
  column->addStretch();
  auto* scroll = new QScrollArea(pageHost_);
  scroll->setObjectName("pageScrollArea");
  scroll->setWidget(pages);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  row->addWidget(scroll, 1);

  CommandPanelHooks panelHooks;
  panelHooks.redrawRegisterPage = [this] { TabStrip1_Click(); };
  panelHooks.selectStatusTab = [this] { SelectTab(kStatusTab); };
  panelHooks.addToCharts = [this](std::uint16_t comErrors) { AddVoltagesToCharts(comErrors); };
  commandPanel = new CommandPanel(*session_, std::move(panelHooks), pageHost_);
  row->addWidget(commandPanel, 0, Qt::AlignTop);
}

void GenericVbDiag::BuildMenus() {
  QMenu* file = menuBar()->addMenu("File");
  mnuLoadConfig = file->addAction("Load Configuration...");
  mnuSaveConfig = file->addAction("Save Configuration...");
  mnuLoadEE = file->addAction("Load EEPROM");
  mnuSaveEE = file->addAction("Save EEPROM");
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
  connect(mnuEEPROMUtilities->addAction("Reset / Reload EEPROM"), &QAction::triggered, this,
          &GenericVbDiag::mnuReload_Click);
  connect(mnuEEPROMUtilities->addAction("Read EEPROM Currents"), &QAction::triggered, this,
          &GenericVbDiag::mnuEEALL_Currents_Click);
  connect(mnuEEPROMUtilities->addAction("Soft Reset"), &QAction::triggered, this,
          &GenericVbDiag::mnuReloadBlock_Click);
  mnuTrace = menuBar()->addAction("Trace");
  connect(mnuTrace, &QAction::triggered, this, [this] {
    traceWindow_->show();
    traceWindow_->raise();
  });
  connect(menuBar()->addAction("About"), &QAction::triggered, this, &GenericVbDiag::mnuAbout_Click);
}

void GenericVbDiag::FormLoad() {
  if (loaded_) return;
  loaded_ = true;
  SharedState& state = session_->state;
  state.TabDefsFileName = kTabDefs52400;
  state.PartName52400 = "QVM52400";
  state.PartName52401 = "QVM52401";
  state.IdentifyCompanionType = false;
  session_->bridge.EvbConnected = false;
  state.DaisyChainMode = false;
  state.DeviceCount52400 = 0;
  state.DeviceCount52401 = 0;
  state.SelectedDeviceType = 0;
  state.DeviceConfigChosen = false;
  state.SelectedDevice = 1;
  session_->spi = SpiSettings{};
  state.DemoMode = false;
  opt52400->setChecked(true);
  cmdDisconnect->setEnabled(false);
  for (QComboBox* list : DeviceLists()) {
    list->clear();
    for (int i = 0; i < 16; ++i) list->addItem(QString("Device %1").arg(i), i);
  }
  EnableConfigurationFiles(false);
  // Without its tab definitions the console cannot work: the program ends after the message.
  loadFailed_ = !RebuildRegisterModel();
  if (loadFailed_) {
    QCoreApplication::exit(1);
    return;
  }
  ShowDaisyChainControls(false);
  mnuDevNum[0][state.SelectedDevice]->setChecked(true);
  // At load the interval is the text's value as it stands.
  Timer2.setInterval(static_cast<int>(LeadingNumber(tbPollingInterval->text().toStdString())));
  state.SuppressControlEvents = false;
  chartWindow_->ChartWindowPinned = true;
  records_->chart.Initialize(true, false);
  records_->faults.ResetComErrorLineCount();
  Timer4.setSingleShot(true);
  Timer4.setInterval(kConfigDialogDelayMs);
  connect(&Timer4, &QTimer::timeout, manualConfig_, &QWidget::show);
  Timer4.start();
}

bool GenericVbDiag::RebuildRegisterModel() {
  const TabDefFileText file =
      LoadTabDefinitionFile(deps_.programFolder, session_->state.TabDefsFileName);
  if (file.status != TabDefFileText::Status::Loaded) {
    AppendLog(file.logLine + "\r\n");
    deps_.host.ShowMessage(session_->bridge.MessageTitle, file.message);
    return false;
  }
  const TabDefParseResult parsed =
      ParseTabDefinitionFile(file, session_->model, session_->image, session_->state);
  if (!parsed.ok) {
    deps_.host.ShowMessage(session_->bridge.MessageTitle, parsed.errorText);
    return false;
  }
  if (parsed.titleBarSeen) {
    setWindowTitle(QString::fromStdString(
        TitleBarCaption(QVM_VERSION_MAJOR, QVM_VERSION_MINOR, QVM_VERSION_PATCH)));
  }
  FillTabStrip();
  ApplyCompanionVisibility();
  TabStrip1_Click();
  return true;
}

void GenericVbDiag::FillTabStrip() {
  const RegisterTables& tables = session_->model.type[session_->state.SelectedDeviceType != 0];
  const QSignalBlocker quiet(TabStrip1);
  while (TabStrip1->count() > 0) TabStrip1->removeTab(0);
  const int last = std::min<int>(tables.LastTabIndex, kMaxTabs - 1);
  for (int tab = 0; tab <= last; ++tab) {
    TabStrip1->addTab(QString::fromStdString(tables.TabName[tab]));
  }
}

void GenericVbDiag::TabStrip1_Click() {
  const int tab = TabStrip1->currentIndex();
  deps_.host.PumpEvents();
  std::string name;
  if (tab >= 0 && tab < kMaxTabs) {
    name = session_->model.type[TypeIndex(session_->state.SelectedDeviceType)].TabName[tab];
  }
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  if (name == "MAIN") {
    UpdateMainTabDeviceStatusControls();
    mainTabPage->ShowEnableMainTabFrames();
  } else {
    mainTabPage->HideDisableMainTabFrames();
  }
  if (name == "COMMANDS") {
    rawMessageSender->ShowEnableRawMessageSender();
  } else {
    rawMessageSender->HideDisableRawMessageSender();
  }
  if (name == "MONITOR") {
    UpdateMonitorTabControls();
    monitorTabPage->ShowEnableMonitorTabFrames();
  } else {
    monitorTabPage->HideDisableMonitorTabFrames();
  }
  registerEditor->ShowTab(tab);
}

void GenericVbDiag::SelectTab(int tab) {
  if (tab < 0 || tab >= TabStrip1->count()) return;
  if (TabStrip1->currentIndex() == tab) {
    TabStrip1_Click();
  } else {
    TabStrip1->setCurrentIndex(tab);
  }
}

void GenericVbDiag::ReadGroupOnTabs(int first, int last) {
  for (int tab = first; tab <= last && tab <= TabStrip1->count(); ++tab) {
    SelectTab(tab - 1);
    deps_.host.PumpEvents();
    ReadRegisterGroup(*session_);
    deps_.host.PumpEvents();
  }
}

PollingView GenericVbDiag::MakePollingView() {
  PollingView paint;
  paint.setPollingLed = [this](Colour colour) { ledPolling->SetColour(colour); };
  paint.clearLogs = [this] {
    txtLog->clear();
    for (LogBox* log : hexLogs) log->clear();
  };
  paint.upr = commandPanel->UprView();
  paint.addToCharts = [this](std::uint16_t comErrors) { AddVoltagesToCharts(comErrors); };
  paint.clearFaults = commandPanel->ClearFaultsPaint();
  return paint;
}

void GenericVbDiag::chkEnablePolling_Click(bool checked) {
  if (!checked) {
    Timer2.stop();
    ledPolling->SetColour(Colour::Grey);
    StopCsvRecording();
    return;
  }
  if (mnuRecordCsv->isChecked()) StartCsvRecording();
  const PollOptionBoxes boxes = pollOptions_->Boxes();
  StartPolling(*session_, boxes.upr, boxes.autoStart, MakePollingView());
}

void GenericVbDiag::Timer2_Timer() {
  PollingTick(*session_, MakePollingView());
}

void GenericVbDiag::tbPollingInterval_Change() {
  const std::optional<int> interval = PollingIntervalMs(tbPollingInterval->text().toStdString());
  if (!interval) {
    deps_.host.ShowMessage(session_->bridge.MessageTitle,
                           ErrorTrapMessage("tbPollingInterval_Change", kErrOverflow, "Overflow"));
    return;
  }
  Timer2.setInterval(*interval);
}

void GenericVbDiag::cmdLogToFile_Click() {
  CommLog& log = records_->commLog;
  if (log.LoggingActive()) {
    if (log.LogStop()) cmdLogToFile->setText("Start Data Logging");
  } else if (!log.LogStart().empty()) {
    cmdLogToFile->setText("Stop Data Logging");
  }
}

bool GenericVbDiag::CommLoggingActive() {
  return records_->commLog.CommLoggingActive();
}

void GenericVbDiag::LogEvent(const std::string& line) {
  records_->commLog.LogEvent(line);
}

void GenericVbDiag::AddVoltagesToCharts(std::uint16_t comErrors) {
  ChartCsvRecorder& recording = records_->csvRecording;
  if (!mnuUpdateChart->isChecked() && !recording.Recording()) return;
  records_->chart.AddNewVoltageDataToChartArray(comErrors);
  if (recording.Recording()) recording.AddLatestSample();
}

void GenericVbDiag::StartCsvRecording() {
  if (records_->csvRecording.Recording()) return;
  if (!records_->csvRecording.Start()) {
    // No file: the choice is cleared, so the menu never claims a recording that is not made.
    const QSignalBlocker blocker(mnuRecordCsv);
    mnuRecordCsv->setChecked(false);
  }
}

void GenericVbDiag::StopCsvRecording() {
  if (records_->csvRecording.Recording()) records_->csvRecording.Stop();
}

void GenericVbDiag::cmdShowChart_Click() {
  chartWindow_->show();
  chartWindow_->raise();
  chartWindow_->activateWindow();
}

void GenericVbDiag::cmdPollingSetup_Click() {
  pollOptions_->open();
}

void GenericVbDiag::OnPollOptionsAccepted(bool any, bool autoStart) {
  commandPanel->ledUPRStatus[0]->SetColour(Colour::Grey);
  ledPolling->SetColour(Colour::Grey);
  const bool connected = session_->bridge.EvbConnected;
  // Ticking the box starts polling, which runs the start sequence itself; run it here only when
  // polling was on already, so it runs once.
  const bool startsPolling = any && connected && !chkEnablePolling->isChecked();
  if (any && connected) chkEnablePolling->setChecked(true);
  if (connected && autoStart && !startsPolling) RunAutoStartSequence(*session_, MakePollingView());
  session_->state.PollOptionsChanged = true;
}

void GenericVbDiag::mnuEETabRead_Click() {
  ReadGroupOnTabs(kFirstEepromTab, kLastEepromTab);
  SelectTab(kFirstEepromTab - 1);
}

// Sends the reload command on the device commands tab and comes back to the current tab.
void GenericVbDiag::ReloadFromDeviceCommands() {
  const int remembered = TabStrip1->currentIndex();
  SelectTab(kDeviceCommandsTab - 1);
  ReadRegisterRow(*session_, kReloadRow);
  deps_.host.PumpEvents();
  SelectTab(remembered);
}

void GenericVbDiag::mnuReload_Click() {
  ReloadFromDeviceCommands();
  mnuEETabRead_Click();
}

void GenericVbDiag::mnuReloadBlock_Click() {
  ReloadFromDeviceCommands();
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

void GenericVbDiag::OnManualConfigOk(const ManualConfigChoice& choice) {
  SharedState& state = session_->state;
  // A configuration whose tab definitions cannot be read leaves everything as it was.
  const SharedState keptState = state;
  const std::uint8_t keptCommand = session_->exchange.BridgeCommand;
  const SetupBlock keptSetup = session_->GpioSpiSetup;
  const std::uint8_t keptMode = session_->ChainModeSetting;
  const RegisterModel keptModel = session_->model;
  const RegisterImage keptImage = session_->image;
  ApplyManualConfiguration(*session_, choice);
  state.ManualConfigAccepted = true;
  deps_.host.PumpEvents();
  if (!RebuildRegisterModel()) {
    state = keptState;
    session_->model = keptModel;
    session_->image = keptImage;
    session_->exchange.BridgeCommand = keptCommand;
    session_->GpioSpiSetup = keptSetup;
    session_->ChainModeSetting = keptMode;
    modalConfigPending_ = false;
    return;
  }
  if (choice.daisyChain) {
    rawMessageSender->SetDeviceTypeCaptions(
        state.PartName52400, CompanionConfigured(state) ? state.PartName52401 : std::string());
  } else {
    rawMessageSender->ShowDeviceTypeOptions(false);
  }
  setWindowTitle(QString::fromStdString(
      std::string(choice.daisyChain ? "BMS Device: Daisy Chain " : "BMS Device: Non-Daisy Chain ") +
      " Version " + std::to_string(QVM_VERSION_MAJOR) + "." + std::to_string(QVM_VERSION_MINOR) +
      "." + std::to_string(QVM_VERSION_PATCH)));
  cmdConnect_Click();
  if (modalConfigPending_) {
    modalConfigPending_ = false;
    ConnectWithoutIdentify();
  }
}

void GenericVbDiag::cmdConnect_Click() {
  SharedState& state = session_->state;
  while (true) {
    deps_.host.PumpEvents();
    commandPanel->ShowUprControls(false);
    pollOptions_->ChkStartPoll->setVisible(false);
    if (state.DeviceConfigChosen) break;
    if (!manualConfig_->isVisible()) manualConfig_->show();
  }
  ledUSBConnected->SetColour(Colour::Yellow);
  mnuSetSpiSpeed->setEnabled(true);
  mnuSetSpiTimeout->setEnabled(true);
  InitializeDriver(*session_);
  if (!session_->bridge.EvbConnected) {
    session_->LogLine("InitializeEvb: USB communication failed. Check connections" +
                      LinkProblemSuffix());
    ApplyIdleState(true);
    return;
  }
  InitializeEvb(*session_);
  commandPanel->ShowUprControls(state.DaisyChainMode);
  pollOptions_->ShowAutoStart(state.DaisyChainMode);
  if (state.DaisyChainMode) {
    EnableDaisyChainControls(true);
    ShowDaisyChainControls(true);
  } else {
    DisableUprPolling(*session_);
    EnableDaisyChainControls(false);
    ShowDaisyChainControls(false);
  }
  if (state.DeviceCount52400 == 0 && state.DeviceCount52401 == 0) {
    // A link that failed says so; the devices were never asked.
    session_->LogLine(session_->bridge.LinkProblem().empty()
                          ? "InitializeEvb: Did not find QVM5240x / 38817 IC. Check connections "
                            "and power"
                          : "InitializeEvb: USB communication failed. Check connections" +
                                LinkProblemSuffix());
    ApplyIdleState(true);
    return;
  }
  ApplyConnectedState();
  state.UprPollingActive = state.DaisyChainMode;
}

void GenericVbDiag::ConnectWithoutIdentify() {
  SharedState& state = session_->state;
  ledUSBConnected->SetColour(Colour::Yellow);
  mnuSetSpiSpeed->setEnabled(true);
  mnuSetSpiTimeout->setEnabled(true);
  if (!state.DemoMode) InitializeDriver(*session_);
  if (state.DemoMode || session_->bridge.EvbConnected) {
    state.DaisyChainMode = state.ManualDaisyChain;
    EnableDaisyChainControls(state.DaisyChainMode);
    ShowDaisyChainControls(state.DaisyChainMode);
    DisableUprPolling(*session_);
    state.DeviceCount52400 = state.ManualCount52400;
    state.DeviceCount52401 = state.ManualCount52401;
    ApplyConnectedState();
    state.UprPollingActive = false;
  } else {
    session_->LogLine("InitializeEvb: USB communication failed. Check connections" +
                      LinkProblemSuffix());
    ApplyIdleState(true);
  }
  RefreshDeviceMenu();
}

void GenericVbDiag::ApplyConnectedState() {
  const SharedState& state = session_->state;
  EndBoardWatch();
  cmdConnect->setEnabled(false);
  cmdDisconnect->setEnabled(true);
  ledUSBConnected->SetColour(Colour::Green);
  ShpAttach->SetColour(Colour::Green);
  chkEnablePolling->setChecked(false);
  Timer2.stop();
  const bool has52400 = state.DeviceCount52400 >= 1;
  const bool has52401 = state.DeviceCount52401 >= 1;
  led52400Pres->SetColour(has52400 ? Colour::Green : Colour::Grey);
  led52401Pres->SetColour(has52401 ? Colour::Green : Colour::Grey);
  opt52400->setEnabled(has52400);
  opt52401->setEnabled(has52401);
  EnableConfigurationFiles(true);
  rawMessageSender->ApplyConnection(true);
  rawMessageSender->RefreshRawMessageSender();
  RefreshDeviceMenu();
  TabStrip1_Click();
  // The chain mode is known now: the second slot's series show once it has devices.
  records_->chart.Initialize(false, true);
  chartWindow_->FillDeviceLists();
}

void GenericVbDiag::ApplyIdleState(bool refreshMenu) {
  EndBoardWatch();
  cmdConnect->setEnabled(true);
  cmdDisconnect->setEnabled(false);
  mnuSetSpiSpeed->setEnabled(true);
  mnuSetSpiTimeout->setEnabled(true);
  for (LedIndicator* led : {ledUSBConnected, led52400Pres, led52401Pres}) {
    led->SetColour(Colour::Grey);
  }
  opt52400->setEnabled(false);
  opt52401->setEnabled(false);
  EnableDaisyChainControls(false);
  ShowDaisyChainControls(false);
  EnableConfigurationFiles(false);
  rawMessageSender->ApplyConnection(false);
  rawMessageSender->RefreshRawMessageSender();
  if (refreshMenu) RefreshDeviceMenu();
}

void GenericVbDiag::cmdDisconnect_Click() {
  DisableUprPolling(*session_);
  session_->bridge.CloseBridge();
  session_->bridge.EvbConnected = false;
  ApplyIdleState(false);
}

// The status line while the board is lost, with the device's own reason.
QString GenericVbDiag::BoardLostText() const {
  const std::string& reason = session_->bridge.LinkLostReason();
  return QString("USB link lost (%1). Waiting for the evaluation board to come back...")
      .arg(reason.empty() ? "the board does not answer" : QString::fromStdString(reason));
}

void GenericVbDiag::BoardLost() {
  StopPolling();
  ledUSBConnected->SetColour(Colour::Red);
  statusBar()->showMessage(BoardLostText());
  cmdReconnect->setEnabled(false);
  cmdReconnect->show();
  boardWatch_.start();
}

void GenericVbDiag::WatchForBoard() {
  const bool listed = session_->bridge.ListedBoardCount() > 0;
  cmdReconnect->setEnabled(listed);
  statusBar()->showMessage(listed ? QString(kBoardBackText) : BoardLostText());
}

void GenericVbDiag::EndBoardWatch() {
  if (!boardWatch_.isActive() && cmdReconnect->isHidden()) return;
  boardWatch_.stop();
  cmdReconnect->hide();
  statusBar()->clearMessage();
}

void GenericVbDiag::cmdReconnect_Click() {
  if (session_->exchange.BridgeBusy) return;
  EndBoardWatch();
  DisableUprPolling(*session_);
  CloseDriver(*session_);
  cmdConnect_Click();
}

void GenericVbDiag::RefillBoardList(int boardCount) {
  if (onBoardListRefilled) onBoardListRefilled(boardCount);
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

void GenericVbDiag::AppendLog(const std::string& text) {
  txtLog->Append(QString::fromStdString(text));
}

void GenericVbDiag::ClearLog() {
  txtLog->clear();
}

bool GenericVbDiag::ShowActivityLogs() {
  return mnuShowActivityLogs->isChecked();
}

void GenericVbDiag::AppendHexLog(int devType, const std::string& text) {
  hexLogs[devType != 0 ? 1 : 0]->Append(QString::fromStdString(text));
}

void GenericVbDiag::SetLed(Led led, Colour colour) {
  switch (led) {
    case Led::Com52400:
    case Led::Com52401:
      ledCom[led == Led::Com52401]->SetColour(colour);
      break;
    case Led::Ack52400:
    case Led::Ack52401:
      ledAck[led == Led::Ack52401]->SetColour(colour);
      break;
    case Led::Nack52400:
    case Led::Nack52401:
      ledNack[led == Led::Nack52401]->SetColour(colour);
      break;
    case Led::Fault52400:
    case Led::Fault52401:
      ledFault[led == Led::Fault52401]->SetColour(colour);
      break;
    case Led::Polling:
      ledPolling->SetColour(colour);
      break;
  }
}

void GenericVbDiag::StopPolling() {
  chkEnablePolling->setChecked(false);
  Timer2.stop();
  ledPolling->SetColour(Colour::Grey);
}

bool GenericVbDiag::PollingRunning() {
  return chkEnablePolling->isChecked();
}

std::string GenericVbDiag::LinkProblemSuffix() const {
  const std::string problem = session_->bridge.LinkProblem();
  return problem.empty() ? "" : ": " + problem;
}

std::optional<std::string> GenericVbDiag::NotConnectedReason() const {
  const SharedState& state = session_->state;
  if (session_->bridge.EvbConnected && state.DeviceCount52400 + state.DeviceCount52401 > 0) {
    return std::nullopt;
  }
  const std::string problem = session_->bridge.LinkProblem();
  if (!problem.empty()) return problem;
  return session_->bridge.EvbConnected ? "no device answered" : "no board was opened";
}

bool GenericVbDiag::BalanceSequenceVisible() {
  return balanceSequence_->isVisible();
}

bool GenericVbDiag::UpdateGuiControls() {
  return mnuUpdateGUIControls->isChecked();
}

int GenericVbDiag::SelectedTab() {
  return registerEditor->SelectedTab();
}

bool GenericVbDiag::RegisterSlotVisible(int slot) {
  return registerEditor->RegisterSlotVisible(slot);
}

bool GenericVbDiag::RegisterSlotWritable(int slot) {
  return registerEditor->RegisterSlotWritable(slot);
}

void GenericVbDiag::ShowRegisterSlot(int slot, const std::string& hexValue) {
  registerEditor->ShowRegisterSlot(slot, hexValue);
}

bool GenericVbDiag::MainTabDeviceStatusVisible() {
  return mainTabPage->FramesShown();
}

void GenericVbDiag::UpdateMainTabDeviceStatusControls() {
  mainTabPage->Apply(ComputeMainTabDeviceStatus(session_->model, session_->image, session_->state,
                                                DisplayDecimalSeparator()),
                     session_->state);
}

bool GenericVbDiag::MonitorTabVisible() {
  return monitorTabPage->FramesShown() && monitorTabPage->FrameShown(0);
}

void GenericVbDiag::UpdateMonitorTabControls() {
  monitorTabPage->Apply(ComputeMonitorTabStatus(session_->model, session_->image, session_->state,
                                                DisplayDecimalSeparator()));
}

bool GenericVbDiag::TraceActive() {
  return traceWindow_->TraceActive();
}

bool GenericVbDiag::TraceDetailed() {
  return traceWindow_->TraceDetailed();
}

void GenericVbDiag::AppendTrace(const std::string& text) {
  traceWindow_->AppendTrace(text);
}

void GenericVbDiag::AttachBenchWindow(FrmMainF340& bench) {
  bench_ = &bench;
  connect(bench.ChkPauseOnNack, &QCheckBox::toggled, this,
          [this](bool checked) { records_->pauseOnNack = checked; });
}

void GenericVbDiag::ShowExchange(const ExchangeDisplay& display) {
  if (bench_ != nullptr) bench_->ShowExchange(display);
}

void GenericVbDiag::SetCurrentForm(QWidget* form) {
  currentForm_ = form;
}

void GenericVbDiag::MarkAttachmentLost() {
  QWidget* form = currentForm_ ? currentForm_.data() : this;
  if (auto* indicator = form->findChild<LedIndicator*>("ShpAttach")) {
    indicator->SetColour(Colour::LightRed);
  }
}

void GenericVbDiag::UnloadBenchWindow() {
  if (bench_ != nullptr) bench_->hide();
  DisableUprPolling(*session_);
  session_->bridge.CloseBridge();
  session_->bridge.EvbConnected = false;
  ApplyIdleState(false);
}

void GenericVbDiag::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) SetCurrentForm(this);
  QMainWindow::changeEvent(event);
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

// Closing the console ends the program: the link is closed and every other window goes.
void GenericVbDiag::closeEvent(QCloseEvent* event) {
  chartWindow_->ChartWindowPinned = false;
  if (session_->bridge.EvbConnected) CloseDriver(*session_);
  records_->commLog.LogStop();
  StopCsvRecording();
  event->accept();
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window != this && window->isWindow() && window->isVisible()) window->close();
  }
}

}  // namespace qvm
