// SPDX-License-Identifier: MIT
#include "operations/raw_message.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "evb_bench.h"

namespace qvm::test {
namespace {

RawMessageFields Fields(const char* device, const char* category, const char* address,
                        const char* data) {
  return {device, category, address, data};
}

TEST(RawMessageEncodingTest, DaisyChainFrameCarriesDeviceAndCrc4) {
  const RawMessage message = EncodeRawMessage(Fields("2", "9", "10", "3FFF"), true);
  EXPECT_EQ(message.encoded, (std::vector<std::uint8_t>{0x29, 0x43, 0xFF, 0xF5}));
  EXPECT_EQ(message.crc4, 0x5);
  EXPECT_EQ(message.command.dev, 2);
  const RawMessage read = EncodeRawMessage(Fields("2", "1", "10", "0000"), true);
  EXPECT_EQ(read.encoded.size(), 3u);
  EXPECT_EQ(read.crc4, read.encoded.back() & 0xF);
}

TEST(RawMessageEncodingTest, SingleDeviceFrameIgnoresTheDeviceField) {
  const RawMessage write = EncodeRawMessage(Fields("7", "9", "10", "3FFF"), false);
  EXPECT_EQ(write.command.dev, 0);
  EXPECT_EQ(write.encoded.size(), 3u);
  EXPECT_EQ(EncodeRawMessage(Fields("7", "1", "10", "0000"), false).encoded.size(), 2u);
  // An emptied field counts as zero.
  EXPECT_EQ(EncodeRawMessage(Fields("", "", "", ""), false).encoded,
            EncodeRawMessage(Fields("0", "0", "00", "0000"), false).encoded);
}

class RawMessageSendTest : public ::testing::Test {
 protected:
  RawMessageSendTest() : bench("daisy:52400x3") {
    bench.Connect(kModeDaisyChain);
    bench.view.log.clear();
  }

  std::vector<std::string> LinesStartingWith(const std::string& prefix) {
    std::vector<std::string> lines;
    for (const std::string& line : bench.view.LogLines()) {
      if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    }
    return lines;
  }

  EvbBench bench;
};

TEST_F(RawMessageSendTest, WriteCategoryIsWrittenAndReadCategoryIsRead) {
  SendRawMessage(bench.session, Fields("2", "A", "16", "1234"), 0);
  EXPECT_EQ(bench.evb.chain->Device(0, 2).Read(2 * 64 + 0x16), 0x1234);
  EXPECT_EQ(LinesStartingWith("wrt,").size(), 1u);
  bench.evb.chain->Device(0, 2).Poke(2 * 64 + 0x16, 0x0777);
  SendRawMessage(bench.session, Fields("2", "2", "16", "0000"), 0);
  EXPECT_EQ(LinesStartingWith("cmd,"),
            std::vector<std::string>{"cmd,QVM52400,dev0x02,cat0x02,adr0x16,dat0x00"});
  EXPECT_EQ(bench.session.image.at(0, 2, 2 * 64 + 0x16), 0x0777);
}

TEST_F(RawMessageSendTest, AbsentTypeOrNoBoardSendsNothing) {
  bench.evb.board->ClearReceivedReports();
  SendRawMessage(bench.session, Fields("1", "2", "16", "0000"), 1);
  ASSERT_EQ(bench.host.messages.size(), 1u);
  EXPECT_EQ(bench.host.messages[0].text, "QVM52401 not present!");
  EXPECT_EQ(bench.view.LogLines(),
            std::vector<std::string>{
                "cbSendRawMsg_Click: QVM52401 not present. Please check connections."});
  bench.session.bridge.EvbConnected = false;
  SendRawMessage(bench.session, Fields("1", "2", "16", "0000"), 0);
  EXPECT_EQ(bench.host.messages.back().text, "QVM52400 EVB not connected!");
  EXPECT_TRUE(bench.evb.board->ReceivedReports().empty());
}

}  // namespace
}  // namespace qvm::test
