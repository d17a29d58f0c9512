// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "protocol/board_init.h"
#include "protocol/bridge_setup.h"
#include "protocol/polling_guard.h"
#include "protocol_bench.h"
#include "scripted_spi.h"
#include "sim/bridge/bridge_faults.h"

namespace qvm::test {
namespace {

class PollingGuardTest : public ::testing::Test {
 protected:
  ScriptedSpi spi;
  ProtocolBench bench{spi};
  Session& session = bench.session;
  CountingPollingTimer& timer = bench.timer;
};

TEST_F(PollingGuardTest, PauseAndResumeWithPollingTicked) {
  bench.UseDaisyChain();
  timer.ticked = true;
  timer.enabled = true;
  PauseUprPolling(session);
  EXPECT_FALSE(timer.enabled);
  ResumeUprPolling(session);
  EXPECT_TRUE(timer.enabled);
}

TEST_F(PollingGuardTest, UntickedPollingLeavesTheTimerAlone) {
  bench.UseDaisyChain();
  timer.enabled = true;  // running although unticked: not the guard's business
  PauseUprPolling(session);
  ResumeUprPolling(session);
  EXPECT_TRUE(timer.enabled);
  EXPECT_EQ(timer.switches, 0);
}

TEST_F(PollingGuardTest, SingleDeviceModeChangesNothing) {
  timer.ticked = true;
  timer.enabled = true;
  PauseUprPolling(session);
  EXPECT_TRUE(timer.enabled);
  timer.enabled = false;
  ResumeUprPolling(session);
  EXPECT_FALSE(timer.enabled);
  EXPECT_EQ(timer.switches, 0);
}

TEST_F(PollingGuardTest, OpenBalanceSequenceWindowKeepsTheTimerOff) {
  bench.UseDaisyChain();
  timer.ticked = true;
  timer.enabled = true;
  bench.view.balanceSequenceVisible = true;
  PauseUprPolling(session);
  ResumeUprPolling(session);
  EXPECT_FALSE(timer.enabled);
}

TEST_F(PollingGuardTest, DisableUnticksStopsAndEndsUprPolling) {
  bench.UseDaisyChain();
  timer.ticked = true;
  timer.enabled = true;
  session.state.UprPollingActive = true;
  DisableUprPolling(session);
  EXPECT_FALSE(timer.ticked);
  EXPECT_FALSE(timer.enabled);
  EXPECT_FALSE(session.state.UprPollingActive);
}

TEST_F(PollingGuardTest, WaitMsRunsOnTheClockAndPumpsEvents) {
  const std::int64_t start = bench.clock.NowMs();
  const int pumps = bench.host.pumps;
  WaitMs(session, 50);
  EXPECT_EQ(bench.clock.NowMs() - start, 50);
  EXPECT_GE(bench.host.pumps - pumps, 10);
  WaitMs(session, 0);
  EXPECT_EQ(bench.clock.NowMs() - start, 50);
}

class BridgeSetupTest : public ::testing::Test {
 protected:
  BridgeSetupTest() { bench.Connect(); }

  // The set-up block the board was last sent with command 20.
  SetupBlock LastWrittenBlock() const {
    for (auto it = bench.board->ReceivedReports().rbegin();
         it != bench.board->ReceivedReports().rend(); ++it) {
      if ((*it)[1] == 20 && (*it)[2] == 0) {
        SetupBlock block{};
        std::copy_n(it->begin() + 3, block.size(), block.begin());
        return block;
      }
    }
    return {};
  }

  ScriptedSpi spi;
  ProtocolBench bench{spi};
  Session& session = bench.session;
};

TEST_F(BridgeSetupTest, SessionStartsWithTheLoadValues) {
  EXPECT_EQ(session.GpioSpiSetup, kInitialSetupBlock);
  EXPECT_EQ(session.spi.SpiClockCode, 2);
  EXPECT_EQ(session.spi.SpiTimeoutHigh, 0x29);
  EXPECT_EQ(session.spi.SpiTimeoutLow, 0x30);
  EXPECT_EQ(session.exchange.BridgeCommand, kCmdSpiSingle);
}

TEST_F(BridgeSetupTest, IdleAndDaisyBlocksReachTheBridge) {
  session.spi = {11, 0x00, 0xC8};
  SetupBridgeIdle(session);
  EXPECT_EQ(LastWrittenBlock(), (SetupBlock{0xFF, 0xFF, 0x80, 0x03, 0x00, 0x00, 11, 0x00, 0xC8}));
  SetupBridgeDaisy(session);
  EXPECT_EQ(LastWrittenBlock(), (SetupBlock{0xFF, 0xFF, 0x80, 0x03, 0x80, 0x00, 11, 0x00, 0xC8}));
  EXPECT_EQ(bench.board->Firmware().Settings().setupBlock[4], 0x80);
  EXPECT_EQ(bench.LastSent()[1], 20);
  EXPECT_EQ(bench.LastSent()[2], 1);
}

TEST_F(BridgeSetupTest, ReadBackKeepsTheModeByte) {
  session.ChainModeSetting = kModeDaisyChain;
  SetupBridgeDaisy(session);
  // The bridge answers 0xFF in reply byte 2; the block keeps the mode byte.
  EXPECT_EQ(session.GpioSpiSetup[0], kModeDaisyChain);
  EXPECT_EQ(session.GpioSpiSetup[4], 0x80);
  EXPECT_EQ(session.exchange.FrameByteCount, 9);
}

TEST_F(BridgeSetupTest, ReadBackTakesWhatTheBridgeHolds) {
  session.ChainModeSetting = kModeDaisyChain;
  bench.board->Firmware().Settings().setupBlock = {0x11, 0xFF, 0x80, 0x03, 0x55, 0x66, 5, 1, 2};
  bench.board->Faults().failWrites = 1;  // the block write is lost, the read request is not
  EXPECT_TRUE(UpdateReadGpioSpi(session));
  EXPECT_EQ(session.GpioSpiSetup,
            (SetupBlock{kModeDaisyChain, 0xFF, 0x80, 0x03, 0x55, 0x66, 5, 1, 2}));
}

TEST_F(BridgeSetupTest, FailedReadRequestIsLoggedWithWhatTheLinkKnows) {
  bench.board->Faults().failWrites = sim::kAlways;
  EXPECT_FALSE(UpdateReadGpioSpi(session));
  EXPECT_EQ(bench.view.LogLines(),
            std::vector<std::string>{
                "UpdateReadGpioSpi: ReadPipe response size incorrect. Check firmware version! "
                "(the board was lost: simulated board: write failed)"});
  ASSERT_EQ(bench.host.retryPrompts.size(), 1u);
  EXPECT_EQ(session.GpioSpiSetup, kInitialSetupBlock);
}

TEST_F(BridgeSetupTest, ReadTimeOutPromptsAndKeepsTheWrittenBlock) {
  session.ChainModeSetting = kModeDaisyChain;
  bench.board->Faults().dropReplies = sim::kAlways;
  const std::int64_t start = bench.clock.NowMs();
  SetupBridgeDaisy(session);
  EXPECT_GE(bench.clock.NowMs() - start, Bridge::kReadTimeoutMs);
  EXPECT_EQ(bench.host.retryPrompts.size(), 1u);
  EXPECT_EQ(session.GpioSpiSetup,
            (SetupBlock{kModeDaisyChain, 0xFF, 0x80, 0x03, 0x80, 0x00, 2, 0x29, 0x30}));
}

// A late packet reply that arrives before the set-up block is passed over, not taken for it.
TEST_F(BridgeSetupTest, AStrayReplyIsNotTakenForTheSetupBlock) {
  session.ChainModeSetting = kModeDaisyChain;
  bench.board->Faults().strayBeforeSetupRead = sim::kAlways;
  EXPECT_TRUE(SetupBridgeDaisy(session));
  EXPECT_EQ(session.GpioSpiSetup,
            (SetupBlock{kModeDaisyChain, 0xFF, 0x80, 0x03, 0x80, 0x00, 2, 0x29, 0x30}));
  EXPECT_EQ(bench.view.LogLines(),
            std::vector<std::string>{"UpdateReadGpioSpi: a report that does not answer the set-up "
                                     "read was passed over"});
}

// A bridge that opened but answers nothing costs one read time-out: Cancel at the prompt ends
// the set-up there, identification asks nothing, and the reason names the bridge.
TEST_F(BridgeSetupTest, ASilentBridgeFailsTheConnectAtItsFirstTimeOut) {
  bench.board->SetFirmwareHung(true);
  session.ChainModeSetting = kModeDaisyChain;
  const std::size_t sent = bench.board->ReceivedReports().size();
  const std::int64_t start = bench.clock.NowMs();
  InitializeEvb(session);
  const std::int64_t took = bench.clock.NowMs() - start;
  EXPECT_GE(took, Bridge::kReadTimeoutMs);
  EXPECT_LT(took, 7000);
  EXPECT_EQ(bench.board->ReceivedReports().size(), sent + 2);  // the block and its read request
  ASSERT_EQ(bench.host.retryPrompts.size(), 1u);
  EXPECT_EQ(bench.host.retryPrompts[0].text,
            "Please check USB connection.\r\ncheckStatus: the bridge opened but never answered");
  EXPECT_EQ(session.state.DeviceCount52400, 0);
  EXPECT_EQ(session.bridge.LinkProblem(), "the bridge opened but never answered");
}

TEST_F(BridgeSetupTest, NotConnectedSendsNothing) {
  session.bridge.EvbConnected = false;
  UpdateReadGpioSpi(session);
  EXPECT_EQ(bench.SentCount(), 0u);
}

}  // namespace
}  // namespace qvm::test
