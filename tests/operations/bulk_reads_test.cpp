// SPDX-License-Identifier: MIT
#include "operations/bulk_reads.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "evb_bench.h"
#include "operations/register_page.h"
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

class BulkReadTest : public ::testing::Test {
 protected:
  void Connect(const std::string& chain, std::uint8_t mode) {
    bench = std::make_unique<EvbBench>(chain);
    bench->Connect(mode);
    bench->view.log.clear();
  }

  std::unique_ptr<EvbBench> bench;
};

TEST_F(BulkReadTest, DaisyReadsAreOneBlockReadPerDevice) {
  Connect("daisy:52400x3", kModeDaisyChain);
  for (int dev = 1; dev <= 3; ++dev) bench->evb.chain->Device(0, dev).Write(2 * 64 + 0x16, dev);
  ASSERT_TRUE(ReadAllSetups(bench->session));
  const auto sent = LinesStartingWith(bench->view, "cmd,");
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0], "cmd,QVM52400,dev0x01,cat0x02,adr0x1F,dat0x0000");
  for (int dev = 1; dev <= 3; ++dev) EXPECT_EQ(bench->session.image.at(0, dev, 150), dev);
}

TEST_F(BulkReadTest, SingleDeviceReadsEachRegisterOfTheClass) {
  Connect("single:52400", kModeSingleDevice);
  ASSERT_TRUE(ReadAllFaults(bench->session));
  const auto sent = LinesStartingWith(bench->view, "cmd,");
  ASSERT_EQ(sent.size(), 7u);
  EXPECT_EQ(sent.front(), "cmd,QVM52400,cat0x02,adr0x80,dat0x0000");
  EXPECT_EQ(sent.back(), "cmd,QVM52400,cat0x02,adr0x86,dat0x0000");
  ASSERT_TRUE(ReadAllVolts(bench->session));
  EXPECT_EQ(LinesStartingWith(bench->view, "cmd,").size(), 7u + 13u);
}

TEST_F(BulkReadTest, ReadVoltsFeedsTheChartsOnlyWhenAsked) {
  Connect("daisy:52400x2", kModeDaisyChain);
  int samples = 0;
  ASSERT_TRUE(ReadAllVolts(bench->session, [&](std::uint16_t) { ++samples; }));
  ASSERT_TRUE(ReadAllVolts(bench->session));
  EXPECT_EQ(samples, 1);
}

TEST_F(BulkReadTest, ReadVoltsThatFailedPartWayStillCharts) {
  Connect("daisy:52400x2", kModeDaisyChain);
  int samples = 0;
  std::uint16_t flags = 0;
  bench->evb.board->Faults().dropReplies = sim::kAlways;
  EXPECT_FALSE(ReadAllVolts(bench->session, [&](std::uint16_t errors) {
    ++samples;
    flags = errors;
  }));
  EXPECT_EQ(samples, 1);
  EXPECT_EQ(flags, kComErrPipe);
  bench->session.bridge.EvbConnected = false;
  EXPECT_FALSE(ReadAllVolts(bench->session, [&](std::uint16_t) { ++samples; }));
  EXPECT_EQ(samples, 1);
}

TEST_F(BulkReadTest, NotConnectedReadShowsTheMessage) {
  Connect("daisy:52400x2", kModeDaisyChain);
  bench->session.bridge.EvbConnected = false;
  EXPECT_FALSE(ReadAllTemps(bench->session));
  EXPECT_EQ(bench->view.LogLines(),
            std::vector<std::string>{
                "cbReadAllTemps_Click: EVB not detected. Please check connections."});
  ASSERT_EQ(bench->host.messages.size(), 1u);
  EXPECT_EQ(bench->host.messages[0].text, "QVM52400 EVB not connected!");
}

TEST_F(BulkReadTest, ReadAllRegsTransfersNothing) {
  Connect("daisy:52400x2", kModeDaisyChain);
  bench->evb.board->ClearReceivedReports();
  ReadAllRegs(bench->session);
  EXPECT_EQ(bench->view.LogLines(), std::vector<std::string>{"Reading all device registers:"});
  EXPECT_TRUE(bench->evb.board->ReceivedReports().empty());
  ASSERT_EQ(bench->host.messages.size(), 1u);
  EXPECT_EQ(bench->host.messages[0].text, "Not yet implemented");
}

// Register page rows on a tab whose rows are set by the test.
class RegisterPageTest : public BulkReadTest {
 protected:
  RegisterPageTest() {
    Connect("daisy:52400x3", kModeDaisyChain);
    bench->view.selectedTab = 0;
    bench->view.visibleSlots = 8;
    rows.fill(-1);
  }

  void SetRows() {
    auto& tab = bench->session.model.type[0].TabRegister[0];
    for (std::size_t i = 0; i < rows.size(); ++i) tab[i] = rows[i];
  }

  std::array<std::int16_t, 8> rows{};
};

TEST_F(RegisterPageTest, GroupReadSkipsEmptyAndCommandRows) {
  rows[0] = 2 * 64 + 0x16;  // read/write
  rows[1] = 512;            // out of range
  rows[2] = 3 * 64 + 0x01;  // a command
  rows[3] = 2 * 64 + 0x04;  // fault status
  SetRows();
  bench->session.state.SelectedDevice = 2;
  const std::int64_t start = bench->clock.NowMs();
  ReadRegisterGroup(bench->session);
  const auto sent = LinesStartingWith(bench->view, "cmd,");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0], "cmd,QVM52400,dev0x02,cat0x02,adr0x16,dat0x00");
  EXPECT_EQ(sent[1], "cmd,QVM52400,dev0x02,cat0x02,adr0x04,dat0x00");
  EXPECT_GE(bench->clock.NowMs() - start, 6);
  const auto lines = bench->view.LogLines();
  EXPECT_EQ(lines.front(), "Reading register group:");
  EXPECT_EQ(lines.back(), "");
}

TEST_F(RegisterPageTest, WriteOfAReadOnlyRegisterIsRefused) {
  rows[0] = 64 + 0x12;
  SetRows();
  bench->evb.board->ClearReceivedReports();
  WriteRegisterRow(bench->session, 0);
  EXPECT_EQ(
      bench->view.LogLines(),
      std::vector<std::string>{"cbWrite_Click: QVM52400,cat0x09,adr0x12 write not supported"});
  EXPECT_TRUE(bench->evb.board->ReceivedReports().empty());
}

TEST_F(RegisterPageTest, WriteSendsTheStoredValue) {
  rows[5] = 2 * 64 + 0x16;
  SetRows();
  bench->session.state.SelectedDevice = 3;
  bench->session.image.StoreRead(0, 3, rows[5], 0x1234, 1);
  WriteRegisterRow(bench->session, 5);
  EXPECT_EQ(bench->evb.chain->Device(0, 3).Read(rows[5]), 0x1234);
  EXPECT_EQ(LinesStartingWith(bench->view, "wrt,"),
            std::vector<std::string>{"wrt,QVM52400,dev0x03,cat0x0A,adr0x16,dat0x1234"});
}

TEST_F(RegisterPageTest, GroupWriteWritesOnlyRowsOfferingWrite) {
  rows[0] = 2 * 64 + 0x16;
  rows[1] = 64 + 0x12;  // read-only: its row has no "Write"
  rows[2] = 2 * 64 + 0x17;
  SetRows();
  bench->view.writableSlots = {0, 2};
  bench->session.state.SelectedDevice = 2;
  bench->session.image.StoreRead(0, 2, rows[0], 0x0101, 1);
  bench->session.image.StoreRead(0, 2, rows[2], 0x0202, 1);
  const std::int64_t start = bench->clock.NowMs();
  WriteRegisterGroup(bench->session);
  EXPECT_EQ(LinesStartingWith(bench->view, "wrt,"),
            (std::vector<std::string>{"wrt,QVM52400,dev0x02,cat0x0A,adr0x16,dat0x0101",
                                      "wrt,QVM52400,dev0x02,cat0x0A,adr0x17,dat0x0202"}));
  EXPECT_TRUE(LinesStartingWith(bench->view, "cbWrite_Click").empty());
  EXPECT_EQ(bench->evb.chain->Device(0, 2).Read(rows[2]), 0x0202);
  EXPECT_GE(bench->clock.NowMs() - start, 6);
  EXPECT_EQ(bench->view.LogLines().front(), "Writing register group:");
}

}  // namespace
}  // namespace qvm::test
