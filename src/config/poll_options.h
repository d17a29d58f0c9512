// SPDX-License-Identifier: MIT
#pragma once

#include "model/shared_state.h"

namespace qvm {

// The boxes of the polling options dialog.
struct PollOptionBoxes {
  bool upr = false;  // "Daisy Chain Unprompted Responses (UPR)"
  bool scanAll = false;
  bool scanMixed = false;
  bool scanVolts = false;
  bool scanTemps = false;
  bool scanWires = false;
  bool readVolts = false;
  bool readTemps = false;
  bool readFaults = false;
  bool readSetups = false;
  bool autoStart = false;  // "Auto Start Sequence", for UPR polling alone
};

// The boxes as the dialog shows them when it comes to the front: the UPR box keeps its tick in
// daisy-chain mode and is cleared otherwise; the others follow the polling flags.
PollOptionBoxes PollOptionsOnActivation(const SharedState& state, const PollOptionBoxes& shown);

// "Quick Setup": scan everything and read voltages, temperatures and faults, without UPR.
PollOptionBoxes QuickSetupBoxes(PollOptionBoxes boxes);

// OK: the flags take the boxes; any ticked box other than UPR clears "Auto Start Sequence".
// True when any box was ticked.
bool ApplyPollOptionBoxes(SharedState& state, PollOptionBoxes& boxes);

}  // namespace qvm
