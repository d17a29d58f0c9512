#include "protocol/identify.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "evb_bench.h"
#include "protocol/board_init.h"

namespace qvm::test {
namespace {

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines,
                                           const std::string& start) {
  std::vector<std::string> found;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(found),
               [&](const std::string& line) { return line.rfind(start, 0) == 0; });
  return found;
}

TEST(IdentifyDaisyChain, ThreeChainedDevices) {
  EvbBench bench("daisy:52400x3");
  bench.Connect(kModeDaisyChain);
  EXPECT_TRUE(bench.session.state.DaisyChainMode);
  EXPECT_EQ(bench.session.state.DeviceCount52400, 3);
  EXPECT_EQ(bench.session.state.DeviceCount52401, 0);
  EXPECT_EQ(
      LinesStartingWith(bench.view.LogLines(), "IdentifyDaisyChain"),
      (std::vector<std::string>{"IdentifyDaisyChain: Sending Identify command to QVM52400",
                                "IdentifyDaisyChain: Sending Identify Device 2 command to QVM52400",
                                "IdentifyDaisyChain: Sending Identify Device 3 command to QVM52400",
                                "IdentifyDaisyChain: Found 3 QVM52400 devices"}));
  EXPECT_TRUE(bench.faults.entries.empty());
}

TEST(IdentifyDaisyChain, ConnectLogsTheDriverAndTheMode) {
  EvbBench bench("daisy:52400x2");
  bench.Connect(kModeDaisyChain);
  const auto lines = bench.view.LogLines();
  ASSERT_GE(lines.size(), 2u);
  // The successful driver line has no line end, so the mode line follows it on the same line.
  EXPECT_EQ(lines[0],
            "Success: QVM52400EVB detected, InitializeEvb: daisy chain mode has been "
            "detected");
  EXPECT_EQ(bench.session.GpioSpiSetup[0], kModeDaisyChain);
  EXPECT_EQ(bench.session.GpioSpiSetup[4], 0x80);
}

TEST(IdentifyDaisyChain, CompanionChainIsIdentifiedWhenAsked) {
  EvbBench bench("daisy:52400x3+52401x2");
  bench.session.state.IdentifyCompanionType = true;
  bench.Connect(kModeDaisyChain);
  EXPECT_EQ(bench.session.state.DeviceCount52400, 3);
  EXPECT_EQ(bench.session.state.DeviceCount52401, 2);
  EXPECT_EQ(bench.view.LogLines().back(), "IdentifyDaisyChain: Found 2 QVM52401 devices");
}

TEST(IdentifyDaisyChain, LoneDeviceIsCountedAsTwo) {
  EvbBench bench("daisy:52400x1");
  bench.Connect(kModeDaisyChain);
  EXPECT_EQ(bench.session.state.DeviceCount52400, 2);
  EXPECT_EQ(bench.view.LogLines().back(), "IdentifyDaisyChain: Found 2 QVM52400 devices");
}

TEST(IdentifyDaisyChain, NoAnswerAtAll) {
  EvbBench bench("daisy:52400x3");
  bench.evb.chain->Faults().silentChain = sim::kAlways;
  bench.Connect(kModeDaisyChain);
  EXPECT_EQ(bench.session.state.DeviceCount52400, 0);
  EXPECT_EQ(LinesStartingWith(bench.view.LogLines(), "IdentifyDaisyChain"),
            (std::vector<std::string>{"IdentifyDaisyChain: Sending Identify command to QVM52400",
                                      "IdentifyDaisyChain: Sending RESET command to QVM52400",
                                      "IdentifyDaisyChain: Sending Identify command to QVM52400",
                                      "IdentifyDaisyChain: Sending RESET command to QVM52400",
                                      "IdentifyDaisyChain: Sending Identify command to QVM52400",
                                      "IdentifyDaisyChain: QVM52400 did not respond with ACK"}));
  // Two settling waits of 50 ms around each RESET.
  EXPECT_GE(bench.clock.NowMs(), 200);
}

TEST(IdentifyDaisyChain, WrongIdentifyEchoRestartsThreeTimes) {
  EvbBench bench("daisy:52400x3");
  bench.evb.chain->Faults().wrongIdentifyEcho = sim::kAlways;
  bench.Connect(kModeDaisyChain);
  const auto lines = LinesStartingWith(bench.view.LogLines(), "IdentifyDaisyChain");
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       "IdentifyDaisyChain: Sending Identify command to QVM52400"),
            3);
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       "IdentifyDaisyChain: Sending RESET command to QVM52400"),
            2);
  EXPECT_EQ(lines.back(), "IdentifyDaisyChain: QVM52400 responded incorrectly to Identify command");
  // The bottom device acknowledged each time before the numbering failed.
  EXPECT_EQ(bench.session.state.DeviceCount52400, 1);
}

TEST(IdentifyDaisyChain, OneWrongEchoIsCuredByTheNextAttempt) {
  EvbBench bench("daisy:52400x3");
  bench.evb.chain->Faults().wrongIdentifyEcho = 1;
  bench.Connect(kModeDaisyChain);
  EXPECT_EQ(bench.session.state.DeviceCount52400, 3);
  EXPECT_EQ(bench.view.LogLines().back(), "IdentifyDaisyChain: Found 3 QVM52400 devices");
}

TEST(IdentifyDaisyChain, BridgeThatStopsAnsweringIsAPipeError) {
  EvbBench bench("daisy:52400x3");
  bench.session.bridge.OpenBridge();
  bench.session.state.DaisyChainMode = true;
  bench.evb.board->Faults().dropReplies = sim::kAlways;
  IdentifyDaisyChain(bench.session, 0);
  EXPECT_EQ(bench.view.LogLines().back(), "IdentifyDaisyChain: QVM52400 pipe communication error");
  EXPECT_EQ(bench.faults.entries, std::vector<std::string>{"Pipe Communication Error"});
  // One packet, written twice; nothing after the failure.
  EXPECT_EQ(bench.evb.board->ReceivedReports().size(), 2u);
}

TEST(IdentifyDaisyChain, UnknownDeviceType) {
  EvbBench bench("daisy:52400x3");
  bench.session.bridge.OpenBridge();
  IdentifyDaisyChain(bench.session, 2);
  EXPECT_EQ(bench.view.LogLines().back(), "IdentifyDaisyChain: unknown device specified.");
  EXPECT_TRUE(bench.evb.board->ReceivedReports().empty());
}

TEST(IdentifyNonDaisyChain, PresenceTestAndSerialNumber) {
  EvbBench bench("single:52400");
  sim::SimulatedDevice& device = bench.evb.chain->Device(0, 1);
  device.Write(128 + 22, 0x1234);
  device.Poke(128 + 27, 0x0ABC);
  device.Poke(128 + 28, 0x0123);
  bench.Connect(kModeSingleDevice);
  EXPECT_FALSE(bench.session.state.DaisyChainMode);
  EXPECT_EQ(bench.session.state.DeviceCount52400, 1);
  EXPECT_EQ(device.Read(128 + 22), 0x1234);  // the user register is restored
  EXPECT_EQ(LinesStartingWith(bench.view.LogLines(), "IdentifyNonDaisyChain"),
            (std::vector<std::string>{
                "IdentifyNonDaisyChain: Testing QVM52400 user register.",
                "IdentifyNonDaisyChain: Reading 28-bit QVM52400 serial number.",
                "IdentifyNonDaisyChain: Found QVM52400serial number = 0x0048CABC"}));
}

TEST(IdentifyNonDaisyChain, MissingDeviceIsNotFoundAndCountStaysZero) {
  EvbBench bench("single:52400");
  bench.session.state.IdentifyCompanionType = true;
  bench.Connect(kModeSingleDevice);
  EXPECT_EQ(bench.session.state.DeviceCount52400, 1);
  EXPECT_EQ(bench.session.state.DeviceCount52401, 0);
  EXPECT_EQ(bench.view.LogLines().back(), "IdentifyNonDaisyChain: QVM52401 not found");
  // Read, test write, read-back, restore write.
  const auto& sent = bench.evb.board->ReceivedReports();
  const auto companionPackets = std::count_if(
      sent.begin(), sent.end(), [](const Report& r) { return r[1] == 21 && r[4] == 0x40; });
  EXPECT_EQ(companionPackets, 4);
}

TEST(IdentifyNonDaisyChain, ShortRepliesFailThePresenceTest) {
  EvbBench bench("single:52400");
  bench.session.bridge.OpenBridge();
  bench.evb.board->Faults().shortReplies = sim::kAlways;
  bench.evb.board->Faults().shortReplyCount = 4;
  IdentifyNonDaisyChain(bench.session, 0);
  EXPECT_EQ(bench.view.LogLines().back(),
            "IdentifyNonDaisyChain: QVM52400 pipe communication error");
  EXPECT_EQ(bench.session.state.DeviceCount52400, 0);
  EXPECT_EQ(std::count(bench.faults.entries.begin(), bench.faults.entries.end(),
                       "Pipe Communication Error"),
            1);
}

TEST(IdentifyNonDaisyChain, FailedReadBackStillRestoresTheUserRegister) {
  EvbBench bench("single:52400");
  sim::SimulatedDevice& device = bench.evb.chain->Device(0, 1);
  device.Write(128 + 22, 0x0777);
  bench.session.bridge.OpenBridge();
  // After the read and the test write, the read-back reply comes back cut short.
  auto& board = *bench.evb.board;
  bench.host.onPump = [&] {
    if (board.ReceivedReports().size() == 2) board.Faults().shortReplies = 1;
  };
  board.Faults().shortReplyCount = 2;
  IdentifyNonDaisyChain(bench.session, 0);
  EXPECT_EQ(device.Read(128 + 22), 0x0777);
  EXPECT_EQ(board.ReceivedReports().size(), 4u);
  EXPECT_EQ(bench.view.LogLines().back(),
            "IdentifyNonDaisyChain: QVM52400 pipe communication error");
  EXPECT_EQ(bench.session.state.DeviceCount52400, 0);
}

TEST(InitializeEvb, UnknownModeByteIdentifiesNothing) {
  EvbBench bench("daisy:52400x3");
  bench.Connect(0x10);
  EXPECT_EQ(bench.session.state.DeviceCount52400, 0);
  EXPECT_TRUE(LinesStartingWith(bench.view.LogLines(), "Identify").empty());
}

TEST(InitializeDriver, NoBoardIsReported) {
  EvbBench bench("daisy:52400x3");
  bench.evb.board->Unplug();
  bench.Connect(kModeDaisyChain);
  EXPECT_FALSE(bench.session.bridge.EvbConnected);
  EXPECT_EQ(
      bench.view.LogLines(),
      (std::vector<std::string>{"Initializing driver for QVM52400EVB...",
                                "Error: QVM52400EVB not detected. Please check connections."}));
}

TEST(InitializeDriver, CloseDriverEndsTheConnection) {
  EvbBench bench("daisy:52400x3");
  bench.Connect(kModeDaisyChain);
  CloseDriver(bench.session);
  EXPECT_FALSE(bench.session.bridge.EvbConnected);
  IdentifyDaisyChain(bench.session, 0);
  EXPECT_EQ(bench.view.LogLines().back(),
            "IdentifyDaisyChain: Sending Identify command to QVM52400");
  EXPECT_TRUE(bench.faults.entries.empty());
}

}  // namespace
}  // namespace qvm::test
