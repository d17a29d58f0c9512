#pragma once
#include <QMainWindow>
#include <QTimer>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "balancing/frm_balance_registers.h"
#include "balancing/frm_balance_sequence.h"
#include "config/manual_configuration.h"
#include "console/command_panel.h"
#include "console/console_records.h"
#include "console/fault_recorder_relay.h"
#include "console/frm_manual_config.h"
#include "console/frm_poll_options.h"
#include "console/frm_spi_clock_speed.h"
#include "console/frm_spi_timeout.h"
#include "console/main_tab_page.h"
#include "console/monitor_tab_page.h"
#include "console/raw_message_sender.h"
#include "console/register_editor.h"
#include "console/timer_polling.h"
#include "operations/polling_loop.h"
#include "protocol/protocol_view.h"
#include "protocol/session.h"
#include "ui/led_indicator.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabBar;

namespace qvm {

// What the console talks to: the board's bus, the user and the time, and the folder that holds
// the tab definition files.
struct ConsoleDeps {
  HidBus& bus;
  Host& host;
  Clock& clock;
  std::string programFolder;
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
  const QTimer& pollingTimer() const { return Timer2; }

  void cmdConnect_Click();
  void cmdDisconnect_Click();
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

  QPushButton* cmdConnect;
  QPushButton* cmdDisconnect;
  LedIndicator* ledUSBConnected;
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
  QPlainTextEdit* txtLog;
  std::array<QWidget*, 3> logCaptions{};
  std::array<QPushButton*, 3> clearLogButtons{};
  QMenu* mnuQVM52401;
  std::array<QPlainTextEdit*, 2> hexLogs;
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
  QAction* mnuDemoMode;
  QMenu* mnuEEPROMUtilities;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildWidgets();
  QWidget* BuildStatusLeds(QWidget* parent);
  void BuildPageArea();
  // Runs "Read Group" on each of the tabs `first`..`last` (1-based) that exist.
  void ReadGroupOnTabs(int first, int last);
  void ReloadFromDeviceCommands();
  PollingView MakePollingView();
  // Adds the voltages just read to the chart store while "Polling Update Charts" is ticked or a
  // CSV recording runs, and hands the sample to the recording.
  void AddVoltagesToCharts();
  // "Record to CSV while polling": asks for the file and writes its header, or closes it.
  void StartCsvRecording();
  void StopCsvRecording();
  void OnPollOptionsAccepted(bool any, bool autoStart);
  // The console's device-number list and those of the balancing dialogs, kept in step.
  std::vector<QComboBox*> DeviceLists() const;
  void BuildBalancingTools();
  std::array<BalanceToolHeader*, 2> BalanceToolHeaders() const;
  void BuildMenus();
  void FormLoad();
  void OnManualConfigOk(const ManualConfigChoice& choice);
  bool RebuildRegisterModel();
  void ApplyConnectedState();
  void ApplyIdleState(bool refreshMenu);
  void EnableDaisyChainControls(bool enable);
  void ShowDaisyChainControls(bool show);
  void ConnectWithoutIdentify();
  void FillTabStrip();
  void ApplyCompanionVisibility();
  void mnuAbout_Click();
  void EnableConfigurationFiles(bool enable);
  void LoadConfigurationFile(const std::string& procedure);

  ConsoleDeps deps_;
  QTimer Timer2;
  QTimer Timer4;
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
  // Holds the pages and the command panel, which are built once the session exists.
  QWidget* pageHost_;
  bool modalConfigPending_ = false;
};

}  // namespace qvm
