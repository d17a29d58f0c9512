// SPDX-License-Identifier: MIT
// What the protocol shows through the console window.
#include <QCheckBox>

#include "bench/frm_main_f340.h"
#include "console/generic_vb_diag.h"
#include "model/display_rules.h"
#include "ui/display_locale.h"

namespace qvm {

void GenericVbDiag::AppendLog(const std::string& text) {
  txtLog->AppendUtf8(text);
}

void GenericVbDiag::ClearLog() {
  txtLog->clear();
}

bool GenericVbDiag::ShowActivityLogs() {
  return mnuShowActivityLogs->isChecked();
}

void GenericVbDiag::AppendHexLog(int devType, const std::string& text) {
  hexLogs[devType != 0 ? 1 : 0]->AppendUtf8(text);
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
  mnuBridgeBoard->setEnabled(true);
  connect(bench.ChkPauseOnNack, &QCheckBox::toggled, this,
          [this](bool checked) { records_->pauseOnNack = checked; });
}

void GenericVbDiag::ShowExchange(const ExchangeDisplay& display) {
  if (bench_ != nullptr) bench_->ShowExchange(display);
}

void GenericVbDiag::SetCurrentForm(QWidget* form) {
  currentForm_ = form;
}

}  // namespace qvm
