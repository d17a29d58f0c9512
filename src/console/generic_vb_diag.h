// SPDX-License-Identifier: MIT
#pragma once
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "balancing/frm_balance_registers.h"
#include "balancing/frm_balance_sequence.h"
#include "config/manual_configuration.h"
#include "console/command_panel.h"
#include "console/console_publishing.h"
#include "console/console_records.h"
#include "console/fault_recorder_relay.h"
#include "console/frm_charting.h"
#include "console/frm_manual_config.h"
#include "console/frm_poll_options.h"
#include "console/frm_publish_mqtt.h"
#include "console/frm_spi_clock_speed.h"
#include "console/frm_spi_timeout.h"
#include "console/frm_trace.h"
#include "console/main_tab_page.h"
#include "console/monitor_tab_page.h"
#include "console/raw_message_sender.h"
#include "console/recording_window.h"
#include "console/register_editor.h"
#include "console/timer_polling.h"
#include "operations/polling_loop.h"
#include "protocol/protocol_view.h"
#include "protocol/session.h"
#include "ui/led_indicator.h"
#include "ui/log_view.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTabBar;

namespace qvm {

class FrmMainF340;

// What the console talks to: the board's bus, the user and the time, and the folder that holds
// the tab definition files.
struct ConsoleDeps {
  HidBus& bus;
  Host& host;
  Clock& clock;
  std::string programFolder;
  // The vendor id the link looks for (the build's default or --vid).
  std::uint16_t vendorId = kBridgeVendorId;
  // The chain of the simulated board in use, such as "daisy:52400x3"; empty on a real board.
  std::string simulatedChain = {};
  // Where the console remembers its settings between runs (an INI file); empty: the user's.
  std::string settingsFile = {};
};

// The evaluation console: connects to the board, identifies the devices and chooses the
// device that the other operations address.
class GenericVbDiag : public QMainWindow, public ProtocolView {
  Q_OBJECT
 public:
  explicit GenericVbDiag(const ConsoleDeps& deps, QWidget* parent = nullptr);
  ~GenericVbDiag() override;

  Session& session() { return *session_; }
  FrmManualConfig& manualConfig() { return *manualConfig_; }
  FrmPollOptions& pollOptions() { return *pollOptions_; }
  FrmBalanceRegisters& balanceRegisters() { return *balanceRegisters_; }
  FrmBalanceSequence& balanceSequence() { return *balanceSequence_; }
  ConsoleRecords& records() { return *records_; }
  FrmSpiClockSpeed& spiClockSpeed() { return *spiClockSpeed_; }
  FrmSpiTimeout& spiTimeout() { return *spiTimeout_; }
  FrmCharting& chartWindow() { return *chartWindow_; }
  FrmTrace& traceWindow() { return *traceWindow_; }
  ConsolePublishing& publishing() { return *publishing_; }
  FrmPublishMqtt& publishDialog() { return *publishDialog_; }
  // Opens a chart recording in a chart window of its own ("File" > "Open Recording..."); a file
  // that holds none is a message. The window is shown; false when nothing was opened.
  bool OpenRecording(const std::string& path);
  // The recording opened last, or nullptr.
  RecordingWindow* OpenedRecording() { return recording_.get(); }
  // The bench window shows the packet exchange, takes "Pause on Nack" and closes on a link
  // prompt's Cancel.
  void AttachBenchWindow(FrmMainF340& bench);
  // The window whose attachment indicator a lost link paints; windows register on activation.
  void SetCurrentForm(QWidget* form);
  QWidget* CurrentForm() const { return currentForm_; }
  void mnuAbout_Click();
  // The tab definitions could not be read at load; the program ends.
  bool LoadFailed() const { return loadFailed_; }
  // "simulated board daisy:52400x3" while the simulated board is in use; empty on a real board.
  std::string BoardNote() const;
  // Why the console is not connected to a chain, or nothing when it is.
  std::optional<std::string> NotConnectedReason() const;
  const QTimer& pollingTimer() const { return Timer2; }
  const QTimer& boardWatchTimer() const { return boardWatch_; }
  const QTimer& configurationTimer() const { return Timer4; }

  // Prepares the window and starts the timer that opens the manual configuration dialog. Runs
  // once, when the startup window hands over, so nothing talks to the devices before the
  // evaluation board is powered.
  void FormLoad();
  // Runs after the link opened or closed with the number of boards opened (the bench window's
  // board list).
  std::function<void(int boardCount)> onBoardListRefilled;

  void cmdConnect_Click();
  void cmdDisconnect_Click();
  // Offered while the board is lost: connects and identifies the devices again.
  void cmdReconnect_Click();
  void mnuManualConfig_Click();
  void SelectDeviceType(int devType);
  void cboDeviceNumber_Click(int index);
  void mnuDevNum_Click(int devType, int index);
  void RefreshDeviceMenu();
  void mnuDemoMode_Click();
  // Builds the page of the selected tab: the special frames and the register rows.
  void TabStrip1_Click();
  // Selects tab `tab` (0-based) and builds its page.
  void SelectTab(int tab);
  void chkEnablePolling_Click(bool checked);
  void Timer2_Timer();
  void tbPollingInterval_Change();
  void cmdPollingSetup_Click();
  void cmdLogToFile_Click();
  // Shows the chart window without waiting.
  void cmdShowChart_Click();
  void mnuEETabRead_Click();
  void mnuReload_Click();
  void mnuEEALL_Currents_Click();
  void mnuReloadBlock_Click();

  // ProtocolView
  void AppendLog(const std::string& text) override;
  void ClearLog() override;
  bool ShowActivityLogs() override;
  void AppendHexLog(int devType, const std::string& text) override;
  void SetLed(Led led, Colour colour) override;
  void StopPolling() override;
  bool PollingRunning() override;
  void RefillBoardList(int boardCount) override;
  void BoardLost() override;
  bool CommLoggingActive() override;
  void LogEvent(const std::string& line) override;
  bool UpdateGuiControls() override;
  bool BalanceSequenceVisible() override;
  int SelectedTab() override;
  bool RegisterSlotVisible(int slot) override;
  bool RegisterSlotWritable(int slot) override;
  void ShowRegisterSlot(int slot, const std::string& hexValue) override;
  bool MainTabDeviceStatusVisible() override;
  void UpdateMainTabDeviceStatusControls() override;
  bool MonitorTabVisible() override;
  void UpdateMonitorTabControls() override;
  bool TraceActive() override;
  bool TraceDetailed() override;
  void AppendTrace(const std::string& text) override;
  void ShowExchange(const ExchangeDisplay& display) override;
  void MarkAttachmentLost() override;
  // Cancel on a link prompt: the bench window closes with the link, and the console is left
  // disconnected as after "Disconnect".
  void UnloadBenchWindow() override;

  QPushButton* cmdConnect;
  QPushButton* cmdDisconnect;
  QPushButton* cmdReconnect;
  LedIndicator* ledUSBConnected;
  // Attachment indicator: light red once a transfer found the link lost.
  LedIndicator* ShpAttach;
  LedIndicator* led52400Pres;
  LedIndicator* led52401Pres;
  QRadioButton* opt52400;
  QRadioButton* opt52401;
  QGroupBox* fraDeviceNumber;
  QComboBox* cboDeviceNumber;
  QGroupBox* fraPollingControls;
  QCheckBox* chkEnablePolling;
  QLineEdit* tbPollingInterval;
  QPushButton* cmdPollingSetup;
  QPushButton* cmdLogToFile;
  QPushButton* cmdShowChart;
  QTabBar* TabStrip1;
  MainTabPage* mainTabPage;
  MonitorTabPage* monitorTabPage;
  RawMessageSender* rawMessageSender;
  RegisterEditor* registerEditor;
  CommandPanel* commandPanel;
  // Communication, acknowledge, not-acknowledge and fault indicators per device type.
  std::array<LedIndicator*, 2> ledCom{};
  std::array<LedIndicator*, 2> ledAck{};
  std::array<LedIndicator*, 2> ledNack{};
  std::array<LedIndicator*, 2> ledFault{};
  LedIndicator* ledPolling;
  // Says so in the Link frame while the simulated board is in use.
  QLabel* lblBoard;
  // The MQTT broker's state while polled samples are published; hidden otherwise.
  QLabel* lblMqtt;
  LogView* txtLog;
  std::array<QWidget*, 3> logCaptions{};
  std::array<QPushButton*, 3> clearLogButtons{};
  QMenu* mnuQVM52401;
  std::array<LogView*, 2> hexLogs;
  std::array<std::array<QAction*, 16>, 2> mnuDevNum;
  QAction* mnuLoadConfig;
  QAction* mnuSaveConfig;
  QAction* mnuLoadEE;
  QAction* mnuSaveEE;
  QAction* mnuSetSpiSpeed;
  QAction* mnuSetSpiTimeout;
  QAction* mnuShowActivityLogs;
  QAction* mnuUpdateGUIControls;
  QAction* mnuUpdateChart;
  QAction* mnuRecordCsv;
  QAction* mnuPublishMqtt;
  QAction* mnuDemoMode;
  QMenu* mnuEEPROMUtilities;
  QAction* mnuReloadEeprom;
  QAction* mnuSoftReset;
  QAction* mnuTrace;
  // Shows the bench window once it is attached.
  QAction* mnuBridgeBoard;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // ": " and what the link knows of a failure, or nothing.
  std::string LinkProblemSuffix() const;
  void BuildWidgets();
  // The default size, within the screen's available area.
  void FitToScreen();
  // The window title: `caption` and, on the simulated board, the board note.
  void SetCaption(const std::string& caption);
  QWidget* BuildStatusLeds(QWidget* parent);
  void BuildPageArea();
  // Runs "Read Group" on each of the tabs `first`..`last` (1-based) that exist.
  void ReadGroupOnTabs(int first, int last);
  // Presses the reload row of the device commands page and comes back; false, pressing
  // nothing, when the selected type has no such page.
  bool ReloadFromDeviceCommands();
  // The entries that press a row of the device commands page, offered when it exists.
  void EnableDeviceCommandEntries();
  PollingView MakePollingView();
  // Adds the voltages just read to the chart store while "Polling Update Charts" is ticked or a
  // CSV recording runs, and hands the sample to the recording.
  void AddVoltagesToCharts(std::uint16_t comErrors);
  // "Record to CSV while polling": asks for the file and writes its header, or closes it.
  void StartCsvRecording();
  void StopCsvRecording();
  // The board's name in published samples: its serial number, else its device node.
  std::string PublishedBoardName();
  void OnPollOptionsAccepted(bool any, bool autoStart);
  // The console's device-number list and those of the balancing dialogs, kept in step.
  std::vector<QComboBox*> DeviceLists() const;
  void BuildBalancingTools();
  std::array<BalanceToolHeader*, 2> BalanceToolHeaders() const;
  void BuildMenus();
  // Re-enumerates while the board is lost and offers Reconnect once it is listed again.
  void WatchForBoard();
  QString BoardLostText() const;
  void EndBoardWatch();
  void OnManualConfigOk(const ManualConfigChoice& choice);
  bool RebuildRegisterModel();
  void ApplyConnectedState();
  void ApplyIdleState(bool refreshMenu);
  void EnableDaisyChainControls(bool enable);
  void ShowDaisyChainControls(bool show);
  void ConnectWithoutIdentify();
  void FillTabStrip();
  void ApplyCompanionVisibility();
  void EnableConfigurationFiles(bool enable);
  void LoadConfigurationFile(const std::string& procedure);

  ConsoleDeps deps_;
  QTimer Timer2;
  QTimer Timer4;
  QTimer boardWatch_;
  std::unique_ptr<TimerPolling> polling_;
  FaultRecorderRelay faultRelay_;
  std::unique_ptr<Session> session_;
  std::unique_ptr<ConsoleRecords> records_;
  FrmManualConfig* manualConfig_;
  FrmPollOptions* pollOptions_;
  FrmBalanceRegisters* balanceRegisters_;
  FrmBalanceSequence* balanceSequence_;
  FrmSpiClockSpeed* spiClockSpeed_;
  FrmSpiTimeout* spiTimeout_;
  FrmCharting* chartWindow_;
  FrmTrace* traceWindow_;
  FrmPublishMqtt* publishDialog_;
  std::unique_ptr<ConsolePublishing> publishing_;
  std::unique_ptr<RecordingWindow> recording_;
  // The type names of the Link frame's rows.
  std::array<QLabel*, 2> linkLabels_{};
  FrmMainF340* bench_ = nullptr;
  QPointer<QWidget> currentForm_;
  // Holds the pages and the command panel, which are built once the session exists.
  QWidget* pageHost_;
  bool modalConfigPending_ = false;
  bool loaded_ = false;
  bool loadFailed_ = false;
};

}  // namespace qvm
