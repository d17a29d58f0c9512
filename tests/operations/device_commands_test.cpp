// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "evb_bench.h"
#include "model/decoders.h"
#include "operations/bulk_reads.h"
#include "operations/command_fanout.h"
#include "operations/panel_commands.h"
#include "protocol/command_frame.h"
#include "sim/bridge/bridge_faults.h"

namespace qvm::test {
namespace {

std::vector<std::string> LinesStartingWith(const RecordingView& view, const std::string& prefix) {
  std::vector<std::string> lines;
  for (const std::string& line : view.LogLines()) {
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  }
  return lines;
}

// Output reports the simulated bridge received that carry a daisy-chain register write.
int WritesReceived(const EvbBench& bench) {
  const auto& reports = bench.evb.board->ReceivedReports();
  return static_cast<int>(std::count_if(reports.begin(), reports.end(), [](const Report& r) {
    return r[1] == kCmdSpiDaisy && (r[4] & kHeaderWrite) != 0;
  }));
}

class DaisyCommandTest : public ::testing::Test {
 protected:
  explicit DaisyCommandTest(const std::string& chain = "daisy:52400x3") : bench(chain) {
    bench.session.state.IdentifyCompanionType = true;
    bench.Connect(kModeDaisyChain);
    bench.view.log.clear();
    bench.evb.board->ClearReceivedReports();
  }

  EvbBench bench;
  Session& session = bench.session;
};

TEST_F(DaisyCommandTest, ScanThenReadVoltsFillsEveryDevice) {
  ASSERT_EQ(session.state.DeviceCount52400, 3);
  ASSERT_TRUE(RunPanelCommand(session, kScanAllVolts));
  EXPECT_FALSE(session.exchange.ScanInProgress);
  ASSERT_TRUE(ReadAllVolts(session));
  for (int dev = 1; dev <= 3; ++dev) {
    double sum = 0;
    for (int cell = 1; cell <= 12; ++cell) {
      const double volts = DecodeCellVoltage(session.model, session.image.at(0, dev, 64 + cell));
      EXPECT_GT(volts, 2.0) << "device " << dev << " cell " << cell;
      EXPECT_LT(volts, 4.5) << "device " << dev << " cell " << cell;
      sum += volts;
    }
    const double pack = DecodeVbatVoltage(session.model, session.image.at(0, dev, 64));
    EXPECT_NEAR(pack, sum, 0.05 * sum) << "device " << dev;
  }
  EXPECT_EQ(LinesStartingWith(bench.view, "cmd,").size(), 6u);
}

TEST_F(DaisyCommandTest, QuickCommandLogsEveryDeviceInOrder) {
  ASSERT_TRUE(RunPanelCommand(session, kScanAllTemps));
  const std::vector<std::string> expected = {"cmd,QVM52400,dev0x01,cat0x03,adr0x02,dat0x0000",
                                             "cmd,QVM52400,dev0x02,cat0x03,adr0x02,dat0x0000",
                                             "cmd,QVM52400,dev0x03,cat0x03,adr0x02,dat0x0000"};
  EXPECT_EQ(LinesStartingWith(bench.view, "cmd,"), expected);
}

// The status displays are refreshed once per command over the chain, after the replies have been
// stored, whether or not the command completes.
TEST_F(DaisyCommandTest, StatusDisplaysRefreshOncePerChainCommand) {
  bench.view.updateGuiControls = true;
  bench.view.mainTabVisible = true;
  bench.view.monitorTabVisible = true;
  ASSERT_TRUE(ReadAllVolts(session));
  EXPECT_EQ(bench.view.mainTabRefreshes, 1);
  EXPECT_EQ(bench.view.monitorRefreshes, 1);
  // A command that fails after device 1 answered still shows what was read.
  bench.view.log.clear();
  bench.view.mainTabRefreshes = 0;
  bench.host.onPump = [&] {
    if (bench.view.log.find("rcv,QVM52400,dev0x01") != std::string::npos) {
      bench.evb.board->Faults().failWrites = sim::kAlways;
    }
  };
  EXPECT_FALSE(ReadAllVolts(session));
  bench.host.onPump = nullptr;
  EXPECT_EQ(bench.view.mainTabRefreshes, 1);
}

TEST_F(DaisyCommandTest, FailureOnDeviceTwoLeavesDeviceThreeUnaddressed) {
  // Once device 1 has answered, the bridge refuses every later write.
  bench.host.onPump = [&] {
    if (bench.view.log.find("rcv,QVM52400,dev0x01") != std::string::npos) {
      bench.evb.board->Faults().failWrites = sim::kAlways;
    }
  };
  EXPECT_FALSE(RunPanelCommand(session, kScanAllVolts));
  bench.host.onPump = nullptr;
  const auto sent = LinesStartingWith(bench.view, "cmd,");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_NE(sent[1].find("dev0x02"), std::string::npos);
  EXPECT_EQ(bench.view.log.find("dev0x03"), std::string::npos);
  EXPECT_EQ(
      LinesStartingWith(bench.view, "DaisyChainQuickCommand: QVM52400 pipe communication error")
          .size(),
      1u);
  EXPECT_NE(std::find(bench.faults.entries.begin(), bench.faults.entries.end(),
                      "Pipe Communication Error"),
            bench.faults.entries.end());
  EXPECT_FALSE(session.exchange.ScanInProgress);
}

TEST_F(DaisyCommandTest, ClearAllFaultsWritesEveryFaultRegisterOfEveryDevice) {
  bench.evb.chain->Device(0, 2).Poke(2 * 64 + 1, 0x0011);
  bench.evb.chain->Device(0, 3).Poke(2 * 64 + 1, 0x0011);
  session.image.StoreRead(0, 2, 2 * 64 + 1, 0x0011, 1);
  bench.session.state.DeviceCount52400 = 2;
  int redraws = 0;
  ClearAllFaults(session, {nullptr, [&] { ++redraws; }});
  EXPECT_EQ(WritesReceived(bench), 10);
  const auto writes = LinesStartingWith(bench.view, "wrt,");
  ASSERT_EQ(writes.size(), 10u);
  const char* addresses[] = {"0x00", "0x01", "0x02", "0x06", "0x04"};
  for (std::size_t i = 0; i < writes.size(); ++i) {
    EXPECT_NE(writes[i].find(std::string(",dev0x0") + (i % 2 == 0 ? "1" : "2")), std::string::npos)
        << writes[i];
    EXPECT_NE(writes[i].find(std::string(",adr") + addresses[i / 2]), std::string::npos)
        << writes[i];
  }
  EXPECT_EQ(session.image.at(0, 2, 2 * 64 + 1), 0);
  EXPECT_EQ(bench.evb.chain->Device(0, 2).Read(2 * 64 + 1), 0);
  EXPECT_EQ(bench.evb.chain->Device(0, 3).Read(2 * 64 + 1), 0x0011);
  EXPECT_EQ(redraws, 1);
  EXPECT_EQ(bench.view.leds[Led::Fault52400], Colour::Grey);
}

TEST_F(DaisyCommandTest, NotConnectedButtonLogsAndSendsNothing) {
  session.bridge.EvbConnected = false;
  EXPECT_FALSE(RunPanelCommand(session, kBalEnableAll));
  EXPECT_EQ(bench.view.LogLines(),
            std::vector<std::string>{
                "cbBalEnableAll_Click: EVB not detected. Please check connections."});
  EXPECT_TRUE(bench.evb.board->ReceivedReports().empty());
}

TEST_F(DaisyCommandTest, WrongModeIsReportedAsAProgrammingError) {
  EXPECT_FALSE(NonDaisyChainQuickCommand(session, DeviceCommand{}));
  EXPECT_EQ(bench.view.LogLines(),
            std::vector<std::string>{
                "NonDaisyChainQuickCommand: Was called when in daisychain mode. This should not "
                "happen."});
  ASSERT_FALSE(bench.host.messages.empty());
  EXPECT_EQ(bench.host.messages.back().text,
            "Programming error. NonDaisyChainQuickCommand() should not be called when in "
            "daisychain mode!");
}

class MixedChainTest : public DaisyCommandTest {
 protected:
  MixedChainTest() : DaisyCommandTest("daisy:52400x3+52401x2") {}
};

TEST_F(MixedChainTest, ScanVoltsAddressesBothTypesInOrder) {
  ASSERT_EQ(session.state.DeviceCount52401, 2);
  ASSERT_TRUE(RunPanelCommand(session, kScanAllVolts));
  const std::vector<std::string> expected = {"cmd,QVM52400,dev0x01,cat0x03,adr0x01,dat0x0000",
                                             "cmd,QVM52400,dev0x02,cat0x03,adr0x01,dat0x0000",
                                             "cmd,QVM52400,dev0x03,cat0x03,adr0x01,dat0x0000",
                                             "cmd,QVM52401,dev0x01,cat0x03,adr0x01,dat0x0000",
                                             "cmd,QVM52401,dev0x02,cat0x03,adr0x01,dat0x0000"};
  EXPECT_EQ(LinesStartingWith(bench.view, "cmd,"), expected);
}

TEST_F(MixedChainTest, SleepBroadcastsOncePerType) {
  ASSERT_TRUE(RunPanelCommand(session, kDaisyChainSleep));
  const std::vector<std::string> expected = {"cmd,QVM52400,dev0x0F,cat0x03,adr0x0A,dat0x0000",
                                             "cmd,QVM52401,dev0x0F,cat0x03,adr0x0A,dat0x0000"};
  EXPECT_EQ(LinesStartingWith(bench.view, "cmd,"), expected);
}

TEST_F(MixedChainTest, CommandUndefinedForATypeSkipsIt) {
  session.model.type[1].RegKind[3 * 64 + 0x10] = kKindUndefined;
  ASSERT_TRUE(RunPanelCommand(session, kBalEnableAll));
  const auto sent = LinesStartingWith(bench.view, "cmd,");
  ASSERT_EQ(sent.size(), 3u);
  for (const std::string& line : sent) EXPECT_EQ(line.rfind("cmd,QVM52400,", 0), 0u) << line;
}

// Writes the bridge received for devices of type `type` (header bit 6).
int WritesReceivedFor(const EvbBench& bench, int type) {
  const auto& reports = bench.evb.board->ReceivedReports();
  return static_cast<int>(std::count_if(reports.begin(), reports.end(), [type](const Report& r) {
    return r[1] == kCmdSpiDaisy && (r[4] & kHeaderWrite) != 0 && ((r[4] >> 6) & 1) == type;
  }));
}

TEST_F(MixedChainTest, ClearAllFaultsChecksEachDeviceAgainstItsOwnType) {
  // The companion does not let its fault status word be written; the primary does.
  constexpr int kFaultStatus = 2 * 64 + 0x00;
  session.model.type[1].RegKind[kFaultStatus] = kKindReadOnly;
  for (const int selected : {0, 1}) {
    session.state.SelectedDeviceType = static_cast<std::int16_t>(selected);
    session.image.StoreRead(1, 2, kFaultStatus, 0x0123, 1);
    session.image.StoreRead(0, 3, kFaultStatus, 0x0456, 1);
    bench.evb.board->ClearReceivedReports();
    ClearAllFaults(session);
    EXPECT_EQ(WritesReceivedFor(bench, 0), 3 * 5) << "selected type " << selected;
    EXPECT_EQ(WritesReceivedFor(bench, 1), 2 * 2) << "selected type " << selected;
    EXPECT_EQ(session.image.at(0, 3, kFaultStatus), 0) << "selected type " << selected;
    EXPECT_EQ(session.image.at(1, 2, kFaultStatus), 0x0123) << "selected type " << selected;
  }
}

TEST(SingleDeviceCommandTest, LogLinesCarryNoDevice) {
  EvbBench bench("single:52400");
  bench.Connect(kModeSingleDevice);
  bench.view.log.clear();
  ASSERT_TRUE(RunPanelCommand(bench.session, kScanAllVolts));
  EXPECT_EQ(LinesStartingWith(bench.view, "cmd,"),
            std::vector<std::string>{"cmd,QVM52400,cat0x03,adr0x01,dat0x0000"});
}

}  // namespace
}  // namespace qvm::test
