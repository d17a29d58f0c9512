// SPDX-License-Identifier: MIT
#pragma once
#include <QDialog>
#include <array>
#include <utility>

#include "config/poll_options.h"
#include "model/shared_state.h"

class QCheckBox;

namespace qvm {

// The polling options dialog: what every polling tick does. OK stores the choice in the
// polling flags and tells the console, which may start polling.
class FrmPollOptions : public QDialog {
  Q_OBJECT
 public:
  explicit FrmPollOptions(SharedState& state, QWidget* parent = nullptr);

  PollOptionBoxes Boxes() const;
  void SetBoxes(const PollOptionBoxes& boxes);
  // "Auto Start Sequence" is offered in daisy-chain mode only; hiding it also clears it.
  void ShowAutoStart(bool show);

  QCheckBox* chkPollUPR;
  QCheckBox* chkPollScanAll;
  QCheckBox* chkScanMixed;
  QCheckBox* chkScanVolts;
  QCheckBox* chkScanTemps;
  QCheckBox* chkScanWires;
  QCheckBox* chkReadVolts;
  QCheckBox* chkReadTemps;
  QCheckBox* chkReadFaults;
  QCheckBox* chkReadSetups;
  QCheckBox* ChkStartPoll;

 signals:
  // OK: `any` when a box was ticked, `autoStart` when the start sequence is to run.
  void OptionsAccepted(bool any, bool autoStart);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void OKButton_Click();
  // Each box with the field it stands for.
  std::array<std::pair<QCheckBox*, bool PollOptionBoxes::*>, 11> BoxTable() const;

  SharedState& state_;
};

}  // namespace qvm
