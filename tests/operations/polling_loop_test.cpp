// SPDX-License-Identifier: MIT
#include "operations/polling_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "evb_bench.h"
#include "link/packet_exchange.h"

namespace qvm::test {
namespace {

TEST(PollingIntervalTest, LeadingNumberClampedToTheTimerRange) {
  EXPECT_EQ(PollingIntervalMs("20"), 50);
  EXPECT_EQ(PollingIntervalMs("abc"), 50);
  EXPECT_EQ(PollingIntervalMs("500"), 500);
  EXPECT_EQ(PollingIntervalMs("750ms"), 750);
  EXPECT_EQ(PollingIntervalMs("6000"), 5000);
  EXPECT_EQ(PollingIntervalMs("99999"), std::nullopt);
}

class PollingLoopTest : public ::testing::Test {
 protected:
  void Connect(const std::string& chain, std::uint8_t mode) {
    bench = std::make_unique<EvbBench>(chain);
    bench->Connect(mode);
    bench->view.log.clear();
    bench->evb.board->ClearReceivedReports();
    bench->timer.ticked = true;
    bench->timer.enabled = true;
    paint.clearLogs = [this] {
      ++logClears;
      bench->view.log.clear();
    };
    paint.setPollingLed = [this](Colour colour) { leds.push_back(colour); };
  }

  std::vector<std::string> Sent() const {
    std::vector<std::string> lines;
    for (const std::string& line : bench->view.LogLines()) {
      if (line.rfind("cmd,", 0) == 0 || line.rfind("wrt,", 0) == 0) lines.push_back(line);
    }
    return lines;
  }

  int UprReads() const {
    const auto& reports = bench->evb.board->ReceivedReports();
    return static_cast<int>(std::count_if(reports.begin(), reports.end(), [](const Report& r) {
      return r[1] == kCmdUprBuffer52400 || r[1] == kCmdUprBuffer52401;
    }));
  }

  std::unique_ptr<EvbBench> bench;
  PollingView paint;
  int logClears = 0;
  std::vector<Colour> leds;
};

TEST_F(PollingLoopTest, SingleDeviceTickEmptiesTheLogsThenReadsTheVoltages) {
  Connect("single:52400", kModeSingleDevice);
  bench->session.state.PollReadVolts = true;
  bench->session.state.UprPollingActive = true;
  PollingTick(bench->session, paint);
  EXPECT_EQ(logClears, 1);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 13u);
  EXPECT_EQ(sent.front(), "cmd,QVM52400,cat0x01,adr0x40,dat0x0000");
  EXPECT_EQ(UprReads(), 0);
  EXPECT_EQ(leds, (std::vector<Colour>{Colour::Yellow, Colour::Grey}));
}

TEST_F(PollingLoopTest, ScansRunBeforeTheReadsOfTheSameTick) {
  Connect("daisy:52400x2", kModeDaisyChain);
  SharedState& state = bench->session.state;
  state.PollReadFaults = true;
  state.PollScanVolts = true;
  state.PollScanAll = true;
  PollingTick(bench->session, paint);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 6u);
  EXPECT_NE(sent[0].find("cat0x03,adr0x05"), std::string::npos);  // Scan All
  EXPECT_NE(sent[2].find("cat0x03,adr0x01"), std::string::npos);  // Scan Volts
  EXPECT_NE(sent[4].find("cat0x02,adr0x0F"), std::string::npos);  // Read Faults
  EXPECT_EQ(UprReads(), 0);
}

TEST_F(PollingLoopTest, DaisyChainTickReadsTheUprBufferOfEachPresentType) {
  Connect("daisy:52400x2", kModeDaisyChain);
  bench->session.state.UprPollingActive = true;
  PollingTick(bench->session, paint);
  EXPECT_EQ(UprReads(), 1);
  EXPECT_EQ(logClears, 0);
  EXPECT_TRUE(bench->timer.ticked);
}

TEST_F(PollingLoopTest, BadUprStatusStopsTheTickBeforeThePolledActions) {
  Connect("daisy:52400x2", kModeDaisyChain);
  SharedState& state = bench->session.state;
  state.UprPollingActive = true;
  state.PollScanAll = true;
  bench->evb.chain->Faults().silentChain = 1;
  PollingTick(bench->session, paint);
  EXPECT_FALSE(bench->timer.ticked);
  EXPECT_FALSE(bench->timer.enabled);
  for (const std::string& line : Sent()) {
    EXPECT_EQ(line.find("cat0x03,adr0x05"), std::string::npos) << line;
  }
  EXPECT_EQ(logClears, 0);
}

TEST_F(PollingLoopTest, UntickedPollingDoesNothingButTheIndicator) {
  Connect("daisy:52400x2", kModeDaisyChain);
  bench->session.state.UprPollingActive = true;
  bench->session.state.PollReadVolts = true;
  bench->timer.ticked = false;
  PollingTick(bench->session, paint);
  EXPECT_TRUE(bench->evb.board->ReceivedReports().empty());
  EXPECT_EQ(leds.size(), 2u);
}

TEST_F(PollingLoopTest, ATickDueDuringATickIsSkipped) {
  Connect("daisy:52400x2", kModeDaisyChain);
  bench->session.state.UprPollingActive = true;
  int nested = 0;
  bench->host.onPump = [&] {
    ++nested;
    PollingTick(bench->session, paint);
  };
  PollingTick(bench->session, paint);
  bench->host.onPump = nullptr;
  EXPECT_GT(nested, 0);
  EXPECT_EQ(UprReads(), 1);
  EXPECT_FALSE(bench->session.state.PollingTickRunning);
}

TEST_F(PollingLoopTest, AutoStartPutsTheChainIntoContinuousScanningFirst) {
  Connect("daisy:52400x2", kModeDaisyChain);
  bench->timer.enabled = false;
  StartPolling(bench->session, true, true, paint);
  const auto sent = Sent();
  ASSERT_GE(sent.size(), 2u + 10u + 2u);
  EXPECT_NE(sent.front().find("cat0x03,adr0x07"), std::string::npos);  // Scan Inhibit
  EXPECT_EQ(std::count_if(sent.begin(), sent.end(),
                          [](const std::string& line) { return line.rfind("wrt,", 0) == 0; }),
            10);
  EXPECT_NE(sent.back().find("cat0x03,adr0x06"), std::string::npos);  // Scan Cont.
  EXPECT_EQ(UprReads(), 2);
  EXPECT_TRUE(bench->session.state.UprPollingActive);
  EXPECT_TRUE(bench->timer.enabled);
  EXPECT_EQ(logClears, 0);
}

}  // namespace
}  // namespace qvm::test
