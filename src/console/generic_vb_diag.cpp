// SPDX-License-Identifier: MIT
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
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>

#include "bench/frm_main_f340.h"
#include "console/page_widgets.h"
#include "console/read_time_of_day.h"
#include "model/leading_number.h"
#include "model/tab_definition_check.h"
#include "model/tab_definition_file.h"
#include "model/tab_definitions.h"
#include "protocol/board_init.h"
#include "protocol/command_frame.h"
#include "ui/cached_panel_style.h"

namespace qvm {

namespace {
constexpr int kConfigDialogDelayMs = 350;
// The window's size on a large screen; a smaller one gets its available area.
constexpr int kDefaultWidth = 1360;
constexpr int kDefaultHeight = 900;
constexpr int kWindowFrameWidth = 16;
constexpr int kWindowFrameHeight = 40;
// The tab the bridge's bad UPR status brings forward.
constexpr int kStatusTab = 1;
constexpr int kBoardWatchIntervalMs = 1000;
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
  UseCachedPanels(*centralWidget());
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
  publishing_ = std::make_unique<ConsolePublishing>(*lblMqtt, deps_.settingsFile);
  publishDialog_ = new FrmPublishMqtt(deps_.host, this);
  connect(publishDialog_, &FrmPublishMqtt::ChoiceAccepted, this,
          [this](const PublishChoice& choice) { publishing_->SetChoice(choice); });
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
  txtLog = new LogView(central);
  txtLog->setObjectName("txtLog");
  const char* hexNames[] = {"txt52400HexLog", "txt52401HexLog"};
  const char* captions[] = {"Activity Log", "QVM52400 Hex Log", "QVM52401 Hex Log"};
  const char* clearNames[] = {"cmdClearLog", "cmdClear52400HexLog", "cmdClear52401HexLog"};
  std::array<LogView*, 3> boxes = {txtLog, nullptr, nullptr};
  for (int i = 0; i < 2; ++i) {
    hexLogs[i] = new LogView(central);
    hexLogs[i]->setObjectName(hexNames[i]);
    boxes[i + 1] = hexLogs[i];
  }
  for (int i = 0; i < 3; ++i) {
    boxes[i]->SetMaximumLineCount(5000);
    logCaptions[i] = new QLabel(captions[i], central);
    logs->addWidget(logCaptions[i], 0, i);
    logs->addWidget(boxes[i], 1, i);
    auto* clear = new QPushButton("Clear Log", central);
    clear->setObjectName(clearNames[i]);
    clearLogButtons[i] = clear;
    LogView* box = boxes[i];
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
  FitToScreen();
}

void GenericVbDiag::FitToScreen() {
  const QRect available = screen()->availableGeometry();
  // Room for the window manager's title bar and borders.
  const QSize frame(kWindowFrameWidth, kWindowFrameHeight);
  resize(QSize(kDefaultWidth, kDefaultHeight).boundedTo(available.size() - frame));
}

std::string GenericVbDiag::BoardNote() const {
  return deps_.simulatedChain.empty() ? std::string() : "simulated board " + deps_.simulatedChain;
}

void GenericVbDiag::SetCaption(const std::string& caption) {
  const std::string note = BoardNote();
  setWindowTitle(QString::fromStdString(note.empty() ? caption : caption + " - " + note));
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
  lblBoard = new QLabel(QString::fromStdString(BoardNote()), frame);
  lblBoard->setObjectName("lblBoard");
  lblBoard->setVisible(!deps_.simulatedChain.empty());
  grid->addWidget(lblBoard, 3, 0, 1, 6);
  lblMqtt = new QLabel(frame);
  lblMqtt->setObjectName("lblMqtt");
  lblMqtt->hide();
  grid->addWidget(lblMqtt, 4, 0, 1, 6);
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
  polling_->SetInterval(static_cast<int>(LeadingNumber(tbPollingInterval->text().toStdString())));
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
    SetCaption(TitleBarCaption(QVM_VERSION_MAJOR, QVM_VERSION_MINOR, QVM_VERSION_PATCH));
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
  EnableDeviceCommandEntries();
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

void GenericVbDiag::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) SetCurrentForm(this);
  QMainWindow::changeEvent(event);
}

// Closing the console ends the program: the link is closed and every other window goes.
void GenericVbDiag::closeEvent(QCloseEvent* event) {
  chartWindow_->ChartWindowPinned = false;
  if (session_->bridge.EvbConnected) CloseDriver(*session_);
  records_->commLog.LogStop();
  StopCsvRecording();
  publishing_->Shutdown();
  event->accept();
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window != this && window->isWindow() && window->isVisible()) window->close();
  }
}

}  // namespace qvm
