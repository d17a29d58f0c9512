// SPDX-License-Identifier: MIT
#include "protocol/identify.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "evb_bench.h"
#include "protocol/board_init.h"
#include "sim/faults/fault_plan.h"

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

// Each type is counted as the chain holds it; a lone device, which answers Identify 2 as the
// top device, is confirmed absent at number 2 and counted once.
TEST(IdentifyDaisyChain, EveryChainIsCountedAsItIs) {
  for (const char* chain : {"daisy:52400x1", "daisy:52400x2", "daisy:52400x14",
                            "daisy:52400x3+52401x2", "daisy:52400x2+52401x1"}) {
    EvbBench bench(chain);
    bench.session.state.IdentifyCompanionType = bench.evb.chain->DeviceCount(1) > 0;
    bench.Connect(kModeDaisyChain);
    const auto lines = bench.view.LogLines();
    for (int type = 0; type < 2; ++type) {
      const int devices = bench.evb.chain->DeviceCount(type);
      const std::string name = bench.session.state.PartName(type);
      EXPECT_EQ(
          type == 0 ? bench.session.state.DeviceCount52400 : bench.session.state.DeviceCount52401,
          devices)
          << chain;
      EXPECT_EQ(bench.session.ChainIdentified[static_cast<std::size_t>(type)], devices > 0)
          << chain;
      if (devices == 0) continue;
      const auto found =
          "IdentifyDaisyChain: Found " + std::to_string(devices) + " " + name + " devices";
      EXPECT_EQ(std::count(lines.begin(), lines.end(), found), 1) << chain << " " << name;
      const auto correction =
          "IdentifyDaisyChain: " + name + " device 2 did not answer; device 1 is the top device";
      EXPECT_EQ(std::count(lines.begin(), lines.end(), correction), devices == 1 ? 1 : 0)
          << chain << " " << name;
    }
    EXPECT_TRUE(bench.faults.entries.empty()) << chain;
  }
}

// A NAK, a CRC4 error or a reply cut short met during identification is logged and recorded as
// the response parser records it, and the frame is never taken as an answer: the procedure
// sends again and still finds the chain. Exchanges of daisy:52400x3: 1 Identify 0, 2 and 3
// Identify 2 and 3, 4 the read that confirms device 3, 5 the close.
TEST(IdentifyDaisyChain, FaultsAreRecordedAndNeverTakenAsAnswers) {
  const struct {
    const char* faults;
    std::string record;
    std::string logLine;
  } cases[] = {
      {"crc@1", "CRC4 Error", "IdentifyDaisyChain: QVM52400 CRC4 checksum error"},
      {"nak@2", "NACK Response Sent: 03 24 26 ", "IdentifyDaisyChain: QVM52400 NACK response"},
      {"short@3", "No Acknowledge QVM52400 device 3",
       "IdentifyDaisyChain: QVM52400 device 3 no acknowledge"},
      {"crc@4", "CRC4 Error", "IdentifyDaisyChain: QVM52400 CRC4 checksum error"},
      {"short@5", "No Acknowledge QVM52400 device 3",
       "IdentifyDaisyChain: QVM52400 device 3 no acknowledge"},
  };
  for (const auto& c : cases) {
    EvbBench bench("daisy:52400x3");
    std::string error;
    auto plan = std::make_shared<sim::FaultPlan>(*sim::ParseFaultList(c.faults, error), 1,
                                                 bench.clock, &bench.evb.chain->Faults());
    bench.evb.board->SetExchangeHook(plan);
    bench.Connect(kModeDaisyChain);
    ASSERT_EQ(bench.faults.entries.size(), 1u) << c.faults;
    EXPECT_EQ(bench.faults.entries[0].rfind(c.record, 0), 0u) << bench.faults.entries[0];
    const auto lines = bench.view.LogLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), c.logLine), 1) << c.faults;
    EXPECT_EQ(lines.back(), "IdentifyDaisyChain: Found 3 QVM52400 devices") << c.faults;
    EXPECT_TRUE(bench.session.ChainIdentified[0]) << c.faults;
    // The faulty reply was not used: more than the five exchanges of a clean run were needed.
    EXPECT_GT(plan->Exchanges(), 5u) << c.faults;
  }
}

TEST(IdentifyDaisyChain, NoAnswerAtAll) {
  EvbBench bench("daisy:52400x3");
  bench.evb.chain->Faults().silentChain = sim::kAlways;
  bench.Connect(kModeDaisyChain);
  EXPECT_EQ(bench.session.state.DeviceCount52400, 0);
  const std::string identify = "IdentifyDaisyChain: Sending Identify command to QVM52400";
  const std::string silent = "IdentifyDaisyChain: QVM52400 device 1 no acknowledge";
  const std::string reset = "IdentifyDaisyChain: Sending RESET command to QVM52400";
  EXPECT_EQ(
      LinesStartingWith(bench.view.LogLines(), "IdentifyDaisyChain"),
      (std::vector<std::string>{identify, silent, reset, identify, silent, reset, identify, silent,
                                "IdentifyDaisyChain: QVM52400 did not respond with ACK"}));
  EXPECT_EQ(bench.faults.entries, std::vector<std::string>(3, "No Acknowledge QVM52400 device 1"));
  EXPECT_FALSE(bench.session.ChainIdentified[0]);
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
  EXPECT_FALSE(bench.session.ChainIdentified[0]);
  EXPECT_EQ(bench.faults.entries, std::vector<std::string>(3, "Unrecognized Response"));
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
