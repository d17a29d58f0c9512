// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "evb_bench.h"
#include "protocol/command_frame.h"
#include "protocol/register_access.h"
#include "protocol/response_parser.h"

namespace qvm::test {
namespace {

// Reads and writes against a numbered chain of three primary ICs.
class ChainTrafficTest : public ::testing::Test {
 protected:
  ChainTrafficTest() {
    bench.Connect(kModeDaisyChain);
    bench.view.log.clear();
  }

  void Read(int dev, int cat, int adr) {
    DeviceCommand command;
    command.dev = static_cast<std::uint8_t>(dev);
    command.cat = static_cast<std::uint8_t>(cat);
    command.adr = static_cast<std::uint8_t>(adr);
    ReadSingleReg(session, command);
  }

  std::vector<std::string> ReceivedLines() const {
    std::vector<std::string> lines;
    for (const std::string& line : bench.view.LogLines()) {
      if (line.rfind("rcv,", 0) == 0) lines.push_back(line);
    }
    return lines;
  }

  sim::SimulatedDevice& Device(int position) { return bench.evb.chain->Device(0, position); }

  EvbBench bench{"daisy:52400x3"};
  Session& session = bench.session;
};

TEST_F(ChainTrafficTest, BroadcastReadStoresOneValuePerDevice) {
  for (int position = 1; position <= 3; ++position) Device(position).Write(150, 0x100 * position);
  Read(0, 2, 22);
  EXPECT_EQ(ReceivedLines().size(), 3u);
  for (int dev = 1; dev <= 3; ++dev) EXPECT_EQ(session.image.at(0, dev, 150), 0x100 * dev);
}

TEST_F(ChainTrafficTest, WriteThenReadBack) {
  DeviceCommand write;
  write.dev = 2;
  write.cat = 2;
  write.adr = 22;
  write.dat = 0x2A5A;
  WriteSingleReg(session, write);
  EXPECT_EQ(Device(2).Read(150), 0x2A5A);
  EXPECT_EQ(bench.view.leds[Led::Ack52400], Colour::Green);
  Read(2, 2, 22);
  EXPECT_EQ(session.image.at(0, 2, 150), 0x2A5A);
}

TEST_F(ChainTrafficTest, BlockReadLandsUnderTheAskedDevice) {
  // Page 1 addresses 12 down to 0 answer the cell-voltage block.
  for (int position = 1; position <= 3; ++position) {
    for (int address = 0; address <= 12; ++address) {
      Device(position).Poke(64 + address, position * 0x1000 + address);
    }
  }
  Read(2, 1, 15);
  const auto lines = ReceivedLines();
  ASSERT_EQ(lines.size(), 13u);
  for (const std::string& line : lines) {
    EXPECT_EQ(line.rfind("rcv,QVM52400,dev0x02,cat0x01,", 0), 0u) << line;
  }
  int stored = 0;
  for (int address = 0; address <= 12; ++address) {
    if (!IsReadableKind(session.model.RegKind(0, 64 + address))) continue;
    EXPECT_EQ(session.image.at(0, 2, 64 + address), 0x2000 + address) << address;
    EXPECT_EQ(session.image.at(0, 1, 64 + address), 0) << address;
    ++stored;
  }
  EXPECT_GT(stored, 0);
  EXPECT_TRUE(bench.faults.entries.empty());
}

TEST_F(ChainTrafficTest, BadCrcInTheSecondFrame) {
  bench.evb.chain->Faults().badCrc = 1;
  bench.evb.chain->Faults().badCrcFrame = 1;
  for (int position = 1; position <= 3; ++position) Device(position).Write(150, 0x11 * position);
  Read(0, 2, 22);
  EXPECT_EQ(session.image.at(0, 1, 150), 0x11);
  EXPECT_EQ(session.image.at(0, 2, 150), 0);
  EXPECT_EQ(session.image.at(0, 3, 150), 0);
  EXPECT_EQ(bench.faults.entries, std::vector<std::string>{"CRC4 Error"});
  const auto lines = bench.view.LogLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       "ParseDaisyChainResponse: QVM52400 CRC4 checksum error"),
            1);
}

TEST_F(ChainTrafficTest, NakIsRecorded) {
  bench.evb.chain->Faults().nakInstead = 1;
  Read(1, 2, 22);
  ASSERT_EQ(bench.faults.entries.size(), 1u);
  EXPECT_EQ(bench.faults.entries[0].rfind("NACK Response Sent: 12 58 ", 0), 0u);
  EXPECT_EQ(bench.view.leds[Led::Nack52400], Colour::Green);
}

TEST_F(ChainTrafficTest, FaultBitRisesAreLoggedOnce) {
  const std::string text = "QVM52400 device 2 " + session.model.BitName(0, 132, 3) + " Fault";
  Device(2).Poke(132, 0x0008);
  Read(2, 2, 4);
  EXPECT_EQ(bench.faults.faults, std::vector<std::string>{text});
  EXPECT_EQ(bench.view.leds[Led::Fault52400], Colour::Red);
  Read(2, 2, 4);
  EXPECT_EQ(bench.faults.faults.size(), 1u);
  Device(2).Poke(132, 0);
  Read(2, 2, 4);
  Device(2).Poke(132, 0x0008);
  Read(2, 2, 4);
  EXPECT_EQ(bench.faults.faults, (std::vector<std::string>{text, text}));
}

TEST_F(ChainTrafficTest, SilentDeviceLeavesItsValueAlone) {
  bench.evb.chain->Faults().silentDevice = sim::kAlways;
  bench.evb.chain->Faults().silentPosition = 3;
  for (int position = 1; position <= 3; ++position) Device(position).Write(150, 0x22);
  Read(0, 2, 22);
  EXPECT_EQ(session.image.at(0, 2, 150), 0x22);
  EXPECT_EQ(session.image.at(0, 3, 150), 0);
  EXPECT_EQ(ReceivedLines().size(), 2u);
}

// An answer the request calls for that is missing or cut short is recorded as no acknowledge,
// once per reply, and the reply does not count as an answer.
TEST_F(ChainTrafficTest, MissingOrShortAnswersAreRecordedAsNoAcknowledge) {
  struct Case {
    const char* what;
    std::function<void(sim::SimulatedEvb&)> inject;
    int dev, cat, adr;
    std::vector<std::string> entries;
    std::uint16_t missing;
  };
  const std::vector<Case> cases = {
      {"healthy", [](sim::SimulatedEvb&) {}, 2, 2, 22, {}, 0},
      {"silent device in a broadcast",
       [](sim::SimulatedEvb& evb) {
         evb.chain->Faults().silentDevice = 1;
         evb.chain->Faults().silentPosition = 3;
       },
       0,
       2,
       22,
       {"No Acknowledge QVM52400 device 3"},
       1u << 3},
      {"silent chain",
       [](sim::SimulatedEvb& evb) { evb.chain->Faults().silentChain = 1; },
       2,
       2,
       22,
       {"No Acknowledge QVM52400 device 2"},
       1u << 2},
      {"silent chain in a broadcast",
       [](sim::SimulatedEvb& evb) { evb.chain->Faults().silentChain = 1; },
       15,
       2,
       22,
       {"No Acknowledge QVM52400 devices 1, 2, 3"},
       0xE},
      {"reply shorter than a frame",
       [](sim::SimulatedEvb& evb) {
         evb.board->Faults().shortReplies = 1;
         evb.board->Faults().shortReplyCount = 3;
       },
       1,
       2,
       22,
       {"No Acknowledge QVM52400 device 1"},
       1u << 1},
      {"block cut short",
       [](sim::SimulatedEvb& evb) {
         evb.board->Faults().shortReplies = 1;
         evb.board->Faults().shortReplyCount = 20;
       },
       1,
       1,
       15,
       {"No Acknowledge QVM52400 device 1"},
       1u << 1},
      {"device the chain does not have", [](sim::SimulatedEvb&) {}, 5, 2, 22, {}, 0},
  };
  for (const Case& c : cases) {
    EvbBench fresh("daisy:52400x3");
    fresh.Connect(kModeDaisyChain);
    fresh.faults.entries.clear();
    c.inject(fresh.evb);
    DeviceCommand command;
    command.dev = static_cast<std::uint8_t>(c.dev);
    command.cat = static_cast<std::uint8_t>(c.cat);
    command.adr = static_cast<std::uint8_t>(c.adr);
    ReadSingleReg(fresh.session, command);
    EXPECT_EQ(fresh.faults.entries, c.entries) << c.what;
    EXPECT_EQ(fresh.session.LastReply.missing, c.missing) << c.what;
    const bool answered = c.missing == 0 && c.dev >= 1 && c.dev <= 3;
    EXPECT_EQ(fresh.session.LastReply.requestAnswered, answered) << c.what;
  }
}

}  // namespace
}  // namespace qvm::test
