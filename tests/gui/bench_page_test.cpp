// SPDX-License-Identifier: MIT
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "bench/port_bits.h"
#include "bench/sfr_access.h"
#include "console_fixture.h"

namespace qvm::test {
namespace {

TEST(PortBits, RowBytesAndHexText) {
  std::array<bool, 8> pins{};
  pins[1] = pins[3] = true;
  EXPECT_EQ(HexByteText(RowByte(PortRow::Data, pins)), "0A");
  EXPECT_EQ(HexByteText(RowByte(PortRow::OutputMode, pins)), "0A");
  std::array<bool, 8> analog{};
  analog[0] = analog[7] = true;
  EXPECT_EQ(HexByteText(RowByte(PortRow::InputMode, analog)), "7E");
  EXPECT_EQ(HexByteText(RowByte(PortRow::InputMode, {})), "FF");
}

TEST(PortBits, ReadBackLightBlinksGreenAndTurnsRedOnMismatch) {
  ReadBackLight light = NextReadBackLight(ReadBackLight::Off, true, "FA", "FA");
  EXPECT_EQ(light, ReadBackLight::BrightGreen);
  light = NextReadBackLight(light, true, "FA", "FA");
  EXPECT_EQ(light, ReadBackLight::DarkGreen);
  EXPECT_EQ(NextReadBackLight(light, true, "FB", "FA"), ReadBackLight::LightRed);
  EXPECT_EQ(NextReadBackLight(light, false, "FA", "FA"), ReadBackLight::LightRed);
}

class BenchPage : public testing::Test {
 protected:
  BenchPage() { rig.console->session().bridge.OpenBridge(); }
  std::vector<std::pair<int, int>> SfrWrites() const {
    std::vector<std::pair<int, int>> writes;
    for (const auto& report : rig.evb->board->ReceivedReports()) {
      if (report[1] == kSfrCommand && report[2] == 0) writes.emplace_back(report[3], report[4]);
    }
    return writes;
  }
  ConsoleOnSimulatedBoard rig{"daisy:52400x1"};
};

TEST_F(BenchPage, TickingPinsUpdatesTheWrittenByte) {
  FrmMainF340& bench = *rig.bench;
  bench.SetPin(0, PortRow::Data, 1, true);
  bench.SetPin(0, PortRow::Data, 3, true);
  EXPECT_EQ(bench.row(0, PortRow::Data).written->text().toStdString(), "0A");
  bench.SetPin(2, PortRow::InputMode, 0, true);
  bench.SetPin(2, PortRow::InputMode, 7, true);
  EXPECT_EQ(bench.row(2, PortRow::InputMode).written->text().toStdString(), "7E");
  EXPECT_TRUE(SfrWrites().empty());
}

TEST_F(BenchPage, AutoWriteReadSendsEachChangeAndChecksTheReadBack) {
  FrmMainF340& bench = *rig.bench;
  bench.chkAutoWriteRead->setChecked(true);
  bench.SetPin(3, PortRow::OutputMode, 2, true);
  EXPECT_EQ(SfrWrites(), (std::vector<std::pair<int, int>>{{0xA7, 0x04}}));
  EXPECT_EQ(bench.row(3, PortRow::OutputMode).readBack->text().toStdString(), "04");
  EXPECT_EQ(bench.row(3, PortRow::OutputMode).light, ReadBackLight::BrightGreen);
  EXPECT_EQ(bench.txtSFRAddress->text().toStdString(), "A7");

  SfrWrite(rig.console->session().bridge, 0xA7, 0x05);
  bench.ReadRow(3, PortRow::OutputMode);
  EXPECT_EQ(bench.row(3, PortRow::OutputMode).light, ReadBackLight::LightRed);
}

TEST_F(BenchPage, WriteReadAllRestoresAutoAndSkipsTheDataRowOfPortFour) {
  FrmMainF340& bench = *rig.bench;
  bench.cmdWriteReadAll_Click();
  EXPECT_FALSE(bench.chkAutoWriteRead->isChecked());
  const auto writes = SfrWrites();
  EXPECT_EQ(writes.size(), 14u);
  for (const auto& [address, value] : writes) EXPECT_NE(address, 0xC7);
  bench.chkAutoWriteRead->setChecked(true);
  bench.cmdWriteReadAll_Click();
  EXPECT_TRUE(bench.chkAutoWriteRead->isChecked());
}

TEST_F(BenchPage, FreeAccessRejectsTextThatIsNotAByte) {
  FrmMainF340& bench = *rig.bench;
  bench.txtSFRAddress->setText("G1");
  bench.cmdSetSFR_Click();
  EXPECT_TRUE(SfrWrites().empty());
  EXPECT_EQ(rig.prompts.size(), 1u);
  bench.txtSFRAddress->setText("B0");
  bench.txtSFRWRData->setText("3C");
  bench.cmdSetSFR_Click();
  bench.cmdGetSDFValue_Click();
  EXPECT_EQ(bench.lblSFRBuf[3]->text().toStdString(), "3C");
  EXPECT_EQ(bench.lblSFRBuf[2]->text().toStdString(), "B0");
}

}  // namespace
}  // namespace qvm::test
