// SPDX-License-Identifier: MIT
#include "config/poll_options.h"

#include <gtest/gtest.h>

namespace qvm {
namespace {

TEST(PollOptionsTest, UprAndAutoStartAloneStayTicked) {
  SharedState state;
  PollOptionBoxes boxes;
  boxes.upr = true;
  boxes.autoStart = true;
  EXPECT_TRUE(ApplyPollOptionBoxes(state, boxes));
  EXPECT_TRUE(state.UprPollingActive);
  EXPECT_TRUE(boxes.autoStart);
}

TEST(PollOptionsTest, AnyPolledActionClearsAutoStart) {
  SharedState state;
  PollOptionBoxes boxes;
  boxes.upr = true;
  boxes.autoStart = true;
  boxes.scanAll = true;
  EXPECT_TRUE(ApplyPollOptionBoxes(state, boxes));
  EXPECT_FALSE(boxes.autoStart);
  EXPECT_TRUE(state.PollScanAll);
}

TEST(PollOptionsTest, NothingTickedClearsEveryFlag) {
  SharedState state;
  state.UprPollingActive = true;
  state.PollReadSetups = true;
  state.PollScanWires = true;
  PollOptionBoxes boxes;
  EXPECT_FALSE(ApplyPollOptionBoxes(state, boxes));
  EXPECT_FALSE(state.UprPollingActive);
  EXPECT_FALSE(state.PollReadSetups);
  EXPECT_FALSE(state.PollScanWires);
}

TEST(PollOptionsTest, ActivationShowsTheFlagsAndUprOnlyInDaisyChainMode) {
  SharedState state;
  state.PollReadTemps = true;
  PollOptionBoxes shown;
  shown.upr = true;
  shown.scanMixed = true;
  shown.autoStart = true;
  PollOptionBoxes boxes = PollOptionsOnActivation(state, shown);
  EXPECT_FALSE(boxes.upr);
  EXPECT_TRUE(boxes.readTemps);
  EXPECT_FALSE(boxes.scanMixed);
  EXPECT_TRUE(boxes.autoStart);
  state.DaisyChainMode = true;
  EXPECT_TRUE(PollOptionsOnActivation(state, shown).upr);
}

TEST(PollOptionsTest, QuickSetupScansAllAndReadsVoltsTempsFaults) {
  PollOptionBoxes boxes;
  boxes.upr = true;
  boxes.autoStart = true;
  boxes.readSetups = true;
  boxes.scanWires = true;
  const PollOptionBoxes quick = QuickSetupBoxes(boxes);
  EXPECT_FALSE(quick.upr);
  EXPECT_FALSE(quick.autoStart);
  EXPECT_TRUE(quick.scanAll && quick.readVolts && quick.readTemps && quick.readFaults);
  EXPECT_FALSE(quick.scanMixed || quick.scanVolts || quick.scanTemps || quick.scanWires ||
               quick.readSetups);
}

}  // namespace
}  // namespace qvm
