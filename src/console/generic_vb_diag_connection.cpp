// SPDX-License-Identifier: MIT
// Connecting, disconnecting and watching for a lost board.
#include <QStatusBar>

#include "bench/frm_main_f340.h"
#include "console/generic_vb_diag.h"
#include "model/display_rules.h"
#include "protocol/board_init.h"
#include "protocol/polling_guard.h"

namespace qvm {

namespace {
constexpr const char* kBoardBackText =
    "The evaluation board is back: press Reconnect to connect and identify the devices again.";
}  // namespace

void GenericVbDiag::OnManualConfigOk(const ManualConfigChoice& choice) {
  // A choice made before the dialog came up (a scripted start) needs it no more.
  Timer4.stop();
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
  SetCaption(
      std::string(choice.daisyChain ? "BMS Device: Daisy Chain " : "BMS Device: Non-Daisy Chain ") +
      " Version " + std::to_string(QVM_VERSION_MAJOR) + "." + std::to_string(QVM_VERSION_MINOR) +
      "." + std::to_string(QVM_VERSION_PATCH));
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

}  // namespace qvm
