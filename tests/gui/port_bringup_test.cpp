// SPDX-License-Identifier: MIT
#include "bench/port_bringup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include "bench/sfr_access.h"
#include "console_fixture.h"

namespace qvm::test {
namespace {

TEST(PortBringUp, PortBytesFollowThePinTable) {
  const auto bytes = BringUpPortBytes();
  EXPECT_EQ(bytes[0].data, 0xFA);
  EXPECT_EQ(bytes[0].outputMode, 0x0F);
  EXPECT_EQ(bytes[1].data, 0xFF);
  EXPECT_EQ(bytes[1].outputMode, 0x00);
  EXPECT_EQ(bytes[2].data, 0xFF);
  EXPECT_EQ(bytes[2].outputMode, 0x00);
  for (const PinSetup& pin : kBringUpPins) EXPECT_EQ(std::string(pin.caption).size(), 11u);
}

TEST(PortBringUp, StartupWritesThePortsAndReadsThemBack) {
  ConsoleOnSimulatedBoard rig("daisy:52400x1");
  FrmStartup startup(*rig.console, *rig.bench);
  rig.evb->board->ClearReceivedReports();
  startup.cboDeviceSelect_Click(1);

  std::vector<std::pair<int, int>> writes;
  for (const auto& report : rig.evb->board->ReceivedReports()) {
    if (report[1] == kSfrCommand && report[2] == 0) writes.emplace_back(report[3], report[4]);
  }
  const std::vector<std::pair<int, int>> expected = {{0x80, 0xFA}, {0x90, 0xFF}, {0xA0, 0xFF},
                                                     {0xA4, 0x0F}, {0xA5, 0x00}, {0xA6, 0x00},
                                                     {0x80, 0xFA}, {0x90, 0xFF}, {0xA0, 0xFF}};
  EXPECT_EQ(writes, expected);
  const std::array<const char*, 3> data = {"FA", "FF", "FF"};
  const std::array<const char*, 3> modes = {"0F", "00", "00"};
  for (int port = 0; port < 3; ++port) {
    EXPECT_EQ(rig.bench->row(port, PortRow::Data).readBack->text().toStdString(), data[port]);
    EXPECT_EQ(rig.bench->row(port, PortRow::OutputMode).readBack->text().toStdString(),
              modes[port]);
    EXPECT_EQ(rig.bench->row(port, PortRow::Data).light, ReadBackLight::BrightGreen);
  }
  EXPECT_EQ(rig.bench->row(0, PortRow::Data).pins[4]->text().toStdString(), "P0.4 TP4SDA");
  EXPECT_TRUE(rig.bench->chkRandomReadWrite->isChecked());
  EXPECT_TRUE(rig.bench->chkSpiRead->isChecked());
  EXPECT_TRUE(rig.console->isVisible());
  EXPECT_TRUE(rig.prompts.empty());
}

TEST(PortBringUp, EntryZeroOnlyHidesTheProgressText) {
  ConsoleOnSimulatedBoard rig("daisy:52400x1");
  FrmStartup startup(*rig.console, *rig.bench);
  startup.show();
  rig.evb->board->ClearReceivedReports();
  startup.cboDeviceSelect_Click(0);
  EXPECT_TRUE(rig.evb->board->ReceivedReports().empty());
  EXPECT_FALSE(startup.lblAction->isVisible());
  EXPECT_TRUE(startup.isVisible());
  EXPECT_FALSE(rig.console->isVisible());
}

TEST(PortBringUp, GpioVariantSetsPortOneOutputModeAndKeepsTheStartupOpen) {
  ConsoleOnSimulatedBoard rig("daisy:52400x1");
  FrmStartup startup(*rig.console, *rig.bench);
  startup.show();
  rig.evb->board->ClearReceivedReports();
  startup.Command3_Click();
  std::vector<std::pair<int, int>> writes;
  for (const auto& report : rig.evb->board->ReceivedReports()) {
    if (report[1] == kSfrCommand && report[2] == 0) writes.emplace_back(report[3], report[4]);
  }
  const std::vector<std::pair<int, int>> expected = {{0xF1, 0xFF}, {0xF2, 0xFF}, {0xF3, 0xFF},
                                                     {0xA4, 0x0F}, {0xA5, 0x01}, {0xA6, 0x00},
                                                     {0xF1, 0xFF}, {0xF2, 0xFF}, {0xF3, 0xFF}};
  EXPECT_EQ(writes, expected);
  EXPECT_TRUE(startup.isVisible());
  EXPECT_FALSE(rig.console->isVisible());
  EXPECT_FALSE(rig.bench->isVisible());
}

TEST(SfrAccess, ReadOfAnUnpluggedBoardReportsNotSent) {
  ConsoleOnSimulatedBoard rig("daisy:52400x1");
  Bridge& bridge = rig.console->session().bridge;
  bridge.OpenBridge();
  ASSERT_TRUE(bridge.EvbConnected);
  EXPECT_TRUE(SfrWrite(bridge, 0xB0, 0x5A));
  EXPECT_EQ(SfrRead(bridge, 0xB0).value, 0x5A);
  rig.evb->board->Unplug();
  EXPECT_FALSE(SfrRead(bridge, 0xB0).sent);
}

}  // namespace
}  // namespace qvm::test
