// SPDX-License-Identifier: MIT
#include "config/poll_options.h"

#include <array>
#include <utility>

namespace qvm {

namespace {

// Each polled action's box and flag, in the dialog's order.
using BoxFlag = std::pair<bool PollOptionBoxes::*, bool SharedState::*>;
constexpr std::array<BoxFlag, 9> kPolledBoxes = {{
    {&PollOptionBoxes::scanAll, &SharedState::PollScanAll},
    {&PollOptionBoxes::scanMixed, &SharedState::PollScanMixed},
    {&PollOptionBoxes::scanVolts, &SharedState::PollScanVolts},
    {&PollOptionBoxes::scanTemps, &SharedState::PollScanTemps},
    {&PollOptionBoxes::scanWires, &SharedState::PollScanWires},
    {&PollOptionBoxes::readVolts, &SharedState::PollReadVolts},
    {&PollOptionBoxes::readTemps, &SharedState::PollReadTemps},
    {&PollOptionBoxes::readFaults, &SharedState::PollReadFaults},
    {&PollOptionBoxes::readSetups, &SharedState::PollReadSetups},
}};

}  // namespace

PollOptionBoxes PollOptionsOnActivation(const SharedState& state, const PollOptionBoxes& shown) {
  PollOptionBoxes boxes = shown;
  boxes.upr = state.DaisyChainMode && shown.upr;
  for (const auto& [box, flag] : kPolledBoxes) boxes.*box = state.*flag;
  return boxes;
}

PollOptionBoxes QuickSetupBoxes(PollOptionBoxes boxes) {
  boxes.upr = false;
  boxes.autoStart = false;
  boxes.scanAll = true;
  boxes.readVolts = true;
  boxes.readTemps = true;
  boxes.readFaults = true;
  boxes.scanMixed = false;
  boxes.scanVolts = false;
  boxes.scanTemps = false;
  boxes.scanWires = false;
  boxes.readSetups = false;
  return boxes;
}

bool ApplyPollOptionBoxes(SharedState& state, PollOptionBoxes& boxes) {
  state.UprPollingActive = boxes.upr;
  bool any = boxes.upr;
  for (const auto& [box, flag] : kPolledBoxes) {
    state.*flag = boxes.*box;
    if (boxes.*box) {
      any = true;
      boxes.autoStart = false;
    }
  }
  return any;
}

}  // namespace qvm
