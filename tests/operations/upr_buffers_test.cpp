// SPDX-License-Identifier: MIT
#include "operations/upr_buffers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "evb_bench.h"
#include "sim/bridge/bridge_faults.h"

namespace qvm::test {
namespace {

class UprBufferTest : public ::testing::Test {
 protected:
  UprBufferTest() {
    bench.Connect(kModeDaisyChain);
    bench.view.log.clear();
    bench.timer.ticked = true;
    bench.timer.enabled = true;
  }

  UprStatusView Paint() {
    return {[&] { ++blinks; }, [&] { ++red; }, [&] { ++tabSelected; },
            [&](std::uint16_t) { ++charted; }};
  }

  int CommandLines(const std::string& part) const {
    int n = 0;
    for (const std::string& line : bench.view.LogLines()) {
      if (line.rfind("cmd,", 0) == 0 && line.find(part) != std::string::npos) ++n;
    }
    return n;
  }

  EvbBench bench{"daisy:52400x3"};
  int blinks = 0;
  int red = 0;
  int tabSelected = 0;
  int charted = 0;
};

TEST_F(UprBufferTest, HealthyStatusBlinks) {
  EXPECT_TRUE(ReadUPRBuffers(bench.session, 0, Paint()));
  EXPECT_EQ(bench.session.bridge.ReportBuffer[5], 0x88);
  EXPECT_EQ(blinks, 1);
  EXPECT_EQ(red, 0);
  EXPECT_TRUE(bench.timer.enabled);
  EXPECT_EQ(CommandLines(""), 0);
}

TEST_F(UprBufferTest, BadStatusStopsPollingAndRefreshesFaultsAndVolts) {
  bench.evb.chain->Faults().silentChain = 1;
  EXPECT_FALSE(ReadUPRBuffers(bench.session, 0, Paint()));
  EXPECT_EQ(blinks, 0);
  EXPECT_EQ(red, 1);
  EXPECT_EQ(tabSelected, 1);
  EXPECT_EQ(charted, 1);
  EXPECT_FALSE(bench.timer.ticked);
  EXPECT_FALSE(bench.timer.enabled);
  // Faults first, then voltages, each for all three devices.
  const auto lines = bench.view.LogLines();
  std::vector<std::string> sent;
  for (const std::string& line : lines) {
    if (line.rfind("cmd,", 0) == 0) sent.push_back(line.substr(line.find(",cat")));
  }
  ASSERT_EQ(sent.size(), 6u);
  EXPECT_EQ(sent[0], ",cat0x02,adr0x0F,dat0x0000");
  EXPECT_EQ(sent[5], ",cat0x01,adr0x0F,dat0x0000");
}

TEST_F(UprBufferTest, FetchOnlyPartsLeaveTheIndicatorAlone) {
  bench.evb.chain->Faults().silentChain = 1;
  EXPECT_TRUE(ReadUPRBuffers(bench.session, 2, Paint()));
  EXPECT_EQ(blinks + red + tabSelected, 0);
  EXPECT_TRUE(bench.timer.enabled);
}

TEST_F(UprBufferTest, RefusedInSingleDeviceMode) {
  bench.session.state.DaisyChainMode = false;
  EXPECT_FALSE(ReadUPRBuffers(bench.session, 0, Paint()));
  EXPECT_EQ(bench.view.LogLines(),
            std::vector<std::string>{
                "ReadUPRBuffers: Was called when in non-daisychain mode. This should not happen."});
}

TEST_F(UprBufferTest, UnansweredFetchLogsThePipeError) {
  bench.evb.board->Faults().dropReplies = sim::kAlways;
  EXPECT_FALSE(ReadUPRBuffers(bench.session, 1, Paint()));
  bool logged = false;
  for (const std::string& line : bench.view.LogLines()) {
    logged |= line == "ReadUPRBuffers: QVM52401 pipe communication error";
  }
  EXPECT_TRUE(logged) << bench.view.log;
}

}  // namespace
}  // namespace qvm::test
