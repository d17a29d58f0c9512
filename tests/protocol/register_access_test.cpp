// SPDX-License-Identifier: MIT
#include "protocol/register_access.h"

#include <gtest/gtest.h>

#include "protocol/acquisition.h"
#include "protocol/response_parser.h"
#include "protocol_bench.h"
#include "scripted_spi.h"

namespace qvm::test {
namespace {

class RegisterAccessTest : public ::testing::Test {
 protected:
  RegisterAccessTest() {
    bench.DefineTestKinds();
    bench.Connect();
  }

  static DeviceCommand Command(int dev, int cat, int adr, int dat, int type = 0) {
    DeviceCommand command;
    command.dev = static_cast<std::uint8_t>(dev);
    command.cat = static_cast<std::uint8_t>(cat);
    command.adr = static_cast<std::uint8_t>(adr);
    command.dat = static_cast<std::int16_t>(dat);
    command.devType = static_cast<std::int16_t>(type);
    return command;
  }

  void PollingOnInDaisyMode() {
    bench.UseDaisyChain();
    session.state.DeviceCount52400 = 2;
    bench.timer.ticked = true;
    bench.timer.enabled = true;
  }

  ScriptedSpi spi;
  ProtocolBench bench{spi};
  Session& session = bench.session;
};

TEST_F(RegisterAccessTest, DaisyReadLogsTheRequestBeforeTheValue) {
  PollingOnInDaisyMode();
  spi.replies.push_back(ResponseFrame(1, 2, 4, 0x0204));
  DeviceCommand command = Command(1, 2, 4, 0x141);
  ReadSingleReg(session, command);
  EXPECT_EQ(bench.view.LogLines(),
            (std::vector<std::string>{"cmd,QVM52400,dev0x01,cat0x02,adr0x04,dat0x41",
                                      "rcv,QVM52400,dev0x01,cat0x02,adr0x04,dat0x0204"}));
  EXPECT_EQ(session.image.at(0, 1, 132), 0x0204);
  EXPECT_TRUE(bench.timer.enabled);
  EXPECT_EQ(bench.timer.switches, 2);  // paused and resumed
}

TEST_F(RegisterAccessTest, SingleDeviceReadShowsNoDeviceAndReturnsTheValue) {
  spi.replies.push_back({0, 0, 0x3F, 0xFE, 0});
  DeviceCommand command = Command(5, 1, 3, 0);
  ReadSingleReg(session, command);
  EXPECT_EQ(command.dat, 0x3FFE);
  EXPECT_EQ(command.dev, 1);
  EXPECT_EQ(session.image.at(0, 1, 67), 0x3FFE);
  EXPECT_EQ(bench.view.LogLines(),
            (std::vector<std::string>{"cmd,QVM52400,cat0x01,adr0x03,dat0x00",
                                      "rcv,QVM52400,cat0x01,adr0x03,dat0x3FFE"}));
}

TEST_F(RegisterAccessTest, SingleDeviceParserRefreshesTheSelectedTypeWithoutTheMenu) {
  bench.view.selectedTab = 0;
  bench.view.visibleSlots = 8;
  bench.view.mainTabVisible = true;
  session.model.type[0].TabRegister[0][5] = 67;
  spi.replies.push_back({0, 0, 0x01, 0x02, 0});
  DeviceCommand command = Command(0, 1, 3, 0);
  ReadSingleReg(session, command);
  EXPECT_EQ(bench.view.slotUpdates, (std::vector<std::pair<int, std::string>>{{5, "0102"}}));
  EXPECT_EQ(bench.view.mainTabRefreshes, 1);
}

TEST_F(RegisterAccessTest, SingleDeviceShortReplyIsUnrecognized) {
  bench.board->Faults().shortReplies = 1;
  bench.board->Faults().shortReplyCount = 3;
  DeviceCommand command = Command(0, 1, 3, 0);
  ReadSingleReg(session, command);
  EXPECT_EQ(bench.view.LogLines().back(),
            "ParseNonDaisyChainResponse: QVM52400 unrecognized response");
  // The sender and the parser each record the short reply.
  EXPECT_EQ(bench.faults.entries,
            (std::vector<std::string>{"Unrecognized Response", "Unrecognized Response"}));
}

TEST_F(RegisterAccessTest, SingleDeviceAddress87IsAlwaysData) {
  session.model.type[0].RegKind[87] = kKindCommand;
  session.bridge.ReportBuffer[7] = 0x12;
  session.bridge.ReportBuffer[8] = 0x34;
  session.exchange.ReplyCount = 6;
  DeviceCommand command = Command(0, 1, 23, 0);
  ParseNonDaisyChainResponse(session, command, "rcv,");
  EXPECT_EQ(command.dat, 0x1234);
  EXPECT_EQ(session.image.at(0, 1, 87), 0x1234);

  DeviceCommand other = Command(0, 3, 9, 0x5);
  ParseNonDaisyChainResponse(session, other, "rcv,");
  EXPECT_EQ(other.dat, 0x5);
  EXPECT_EQ(bench.view.LogLines().size(), 1u);
}

TEST_F(RegisterAccessTest, NotConnectedShowsAMessageAndSendsNothing) {
  session.bridge.EvbConnected = false;
  DeviceCommand read = Command(1, 2, 4, 0);
  ReadSingleReg(session, read);
  DeviceCommand write = Command(1, 2, 22, 0x1234);
  WriteSingleReg(session, write);
  EXPECT_EQ(bench.SentCount(), 0u);
  ASSERT_EQ(bench.host.messages.size(), 2u);
  EXPECT_EQ(bench.host.messages[0].text, "QVM52400EVB not connected!");
  EXPECT_EQ(bench.view.LogLines(),
            (std::vector<std::string>{
                "ReadSingleReg: QVM52400EVB not detected. Please check connections.",
                "WriteSingleReg: QVM52400EVB not detected. Please check connections."}));
}

TEST_F(RegisterAccessTest, DaisyWriteIsLoggedSentAndParsed) {
  PollingOnInDaisyMode();
  spi.replies.push_back(ResponseFrame(2, 3, 12, 0));
  DeviceCommand command = Command(2, 2, 22, 0x1234);
  WriteSingleReg(session, command);
  EXPECT_EQ(command.cat, 0x0A);
  const auto lines = bench.view.LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "wrt,QVM52400,dev0x02,cat0x0A,adr0x16,dat0x1234");
  EXPECT_EQ(lines[1], "rcv,QVM52400,dev0x02,cat0x03,adr0x0C,dat0x0000");
  EXPECT_EQ(bench.LastSent()[4], 0x80);
  EXPECT_EQ(bench.view.leds[Led::Ack52400], Colour::Green);
  EXPECT_TRUE(bench.timer.enabled);
}

TEST_F(RegisterAccessTest, SingleDeviceWriteIsNotParsed) {
  spi.replies.push_back({0, 0, 0x11, 0x22, 0, 0});
  DeviceCommand command = Command(0, 2, 22, 0x0042);
  WriteSingleReg(session, command);
  EXPECT_EQ(bench.view.LogLines(),
            std::vector<std::string>{"wrt,QVM52400,cat0x0A,adr0x16,dat0x0042"});
  EXPECT_EQ(session.image.at(0, 1, kUserReg), 0);
}

TEST_F(RegisterAccessTest, WriteToReadOnlyRegisterIsRefused) {
  PollingOnInDaisyMode();
  DeviceCommand command = Command(1, 2, 5, 0x0001);
  WriteSingleReg(session, command);
  EXPECT_EQ(bench.SentCount(), 0u);
  EXPECT_EQ(
      bench.view.LogLines(),
      std::vector<std::string>{"WriteSingleReg: QVM52400,cat0x0A,adr0x05 write not supported"});
  EXPECT_TRUE(bench.timer.enabled);
}

TEST_F(RegisterAccessTest, WritePermissionFollowsTheWrittenDevicesType) {
  bench.UseDaisyChain();
  session.model.type[1].RegKind[kUserReg] = kKindReadOnly;
  session.state.SelectedDeviceType = 0;
  DeviceCommand refused = Command(1, 2, 22, 1, 1);
  WriteSingleReg(session, refused);
  EXPECT_EQ(bench.SentCount(), 0u);

  // The selected type's table does not decide for a device of the other type.
  session.state.SelectedDeviceType = 1;
  DeviceCommand accepted = Command(1, 2, 22, 1, 0);
  WriteSingleReg(session, accepted);
  EXPECT_EQ(bench.SentCount(), 1u);
}

TEST_F(RegisterAccessTest, WrongSequenceTwiceIsAPipeError) {
  PollingOnInDaisyMode();
  bench.board->Faults().wrongSequence = sim::kAlways;
  DeviceCommand command = Command(1, 2, 4, 0);
  ReadSingleReg(session, command);
  const auto lines = bench.view.LogLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].rfind("Packet Sync: Retry count = 1", 0), 0u);
  EXPECT_EQ(lines[2], "ReadSingleReg: QVM52400 pipe communication error");
  EXPECT_EQ(bench.faults.entries, std::vector<std::string>{"Pipe Communication Error"});
  ASSERT_EQ(bench.host.messages.size(), 1u);
  EXPECT_EQ(bench.host.messages[0].text, "HID Packet Sync Error Retry 2x");
  // Polling comes back as it was; the stale reply is not parsed.
  EXPECT_TRUE(bench.timer.enabled);
  EXPECT_EQ(session.image.at(0, 1, 132), 0);
}

// No reply, or sequence 0 twice, is a pipe communication error of the access; the board is
// still attached, so polling resumes, and the value from before is stale.
TEST_F(RegisterAccessTest, NoReplyIsAPipeErrorThatLeavesPollingOnAndTheValueStale) {
  for (int sim::BridgeFaults::*fault :
       {&sim::BridgeFaults::dropReplies, &sim::BridgeFaults::zeroSequence}) {
    PollingOnInDaisyMode();
    bench.faults.entries.clear();
    bench.board->Faults() = {};
    bench.board->Faults().*fault = sim::kAlways;
    DeviceCommand command = Command(1, 2, 4, 0);
    ReadSingleReg(session, command);
    EXPECT_EQ(bench.view.LogLines().back(), "ReadSingleReg: QVM52400 pipe communication error");
    EXPECT_EQ(bench.faults.entries, std::vector<std::string>{"Pipe Communication Error"});
    EXPECT_TRUE(bench.timer.ticked);
    EXPECT_TRUE(bench.timer.enabled);
    EXPECT_TRUE(session.image.Stale(0, 1, 2 * 64 + 4));
    EXPECT_FALSE(session.image.ReadSince(0, 1, 2 * 64 + 4, 1));
  }
}

// A reply under another report id is passed over like a lost one: the retry brings the value
// (the loss on record, no failure), or the exchange fails as an unrecognized response and the
// value goes stale.
TEST_F(RegisterAccessTest, AReplyUnderAnotherReportIdIsRetriedThenAnError) {
  for (const int wrongIds : {1, sim::kAlways}) {
    PollingOnInDaisyMode();
    bench.faults.entries.clear();
    spi.replies = {ResponseFrame(1, 2, 4, 0x0123), ResponseFrame(1, 2, 4, 0x0123)};
    bench.board->Faults() = {};
    bench.board->Faults().wrongReportId = wrongIds;
    Acquisition read(session);
    DeviceCommand command = Command(1, 2, 4, 0);
    ReadSingleReg(session, command);
    read.Close();
    const bool recovered = wrongIds == 1;
    EXPECT_EQ(read.Fresh(0, 1, 2 * 64 + 4), recovered);
    EXPECT_EQ(read.Failed(), !recovered);
    const std::vector<std::string> recorded =
        recovered ? std::vector<std::string>{"Pipe Communication Error"}
                  : std::vector<std::string>{"Unrecognized Response", "Pipe Communication Error"};
    EXPECT_EQ(bench.faults.entries, recorded);
  }
}

TEST_F(RegisterAccessTest, OneLostReplyIsRetriedAndTheReadGoesOn) {
  bench.UseDaisyChain();
  bench.board->Faults().wrongSequence = 1;
  spi.replies.push_back(ResponseFrame(1, 2, 4, 0x0001));
  spi.replies.push_back(ResponseFrame(1, 2, 4, 0x0002));
  DeviceCommand command = Command(1, 2, 4, 0);
  ReadSingleReg(session, command);
  EXPECT_EQ(session.image.at(0, 1, 132), 0x0002);
  // The lost reply is a communication error of its own, though the retry made up for it.
  EXPECT_EQ(bench.faults.entries, std::vector<std::string>{"Pipe Communication Error"});
}

}  // namespace
}  // namespace qvm::test
