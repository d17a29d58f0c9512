// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "chain_test_support.h"
#include "sim/chain/register_map.h"

namespace qvm::sim {
namespace {

using test::Daisy;

class DeviceModelTest : public testing::Test {
 protected:
  DeviceModelTest() : chain(test::Daisy52400(2, 1)) { test::NumberAll(chain); }

  double CellVoltsRead(int position, int cell) {
    return SignedCounts(device(position).Read(regs::kCell1 + cell - 1)) * scales.cellVolts;
  }
  SimulatedDevice& device(int position) { return chain.Device(0, position); }
  void Command(int dev, int command, int type = 0) { Daisy(chain, type, dev, 3, command); }
  void WriteReg(int dev, int index, int value) {
    Daisy(chain, 0, dev, 8 + index / 64, index % 64, value);
  }

  ChainScales scales;
  SimulatedChain chain;
};

TEST_F(DeviceModelTest, CellsArePlausibleAndAScanReportsThem) {
  CellModel& cells = device(1).Cells();
  ASSERT_EQ(cells.CellCount(), 12);
  EXPECT_EQ(chain.Device(1, 1).Cells().CellCount(), 6);
  for (int cell = 1; cell <= 12; ++cell) {
    EXPECT_GE(cells.CellVolts(cell), 3.6);
    EXPECT_LE(cells.CellVolts(cell), 3.9);
    EXPECT_EQ(device(1).Read(regs::kCell1 + cell - 1), 0);  // nothing measured yet
  }
  Command(1, regs::kScanVolts);
  for (int cell = 1; cell <= 12; ++cell) {
    EXPECT_NEAR(CellVoltsRead(1, cell), cells.CellVolts(cell), 0.001) << "cell " << cell;
  }
  EXPECT_NEAR(device(1).Read(regs::kVbat) * scales.vbatVolts, cells.PackVolts(), 0.02);
  EXPECT_EQ(device(1).Read(regs::kInternalTemp), 0);  // a volts scan leaves temperatures
  EXPECT_EQ(device(2).Read(regs::kCell1), 0);         // and other devices alone
}

TEST_F(DeviceModelTest, TemperatureScanUsesTheCalibrationWord) {
  device(1).Cells().SetInternalDegrees(27.5);
  device(1).Cells().SetExternalVolts(3, 1.25);
  Command(1, regs::kScanTemps);
  const double degrees =
      (device(1).Read(regs::kInternalTemp) - scales.tint25) * scales.tempDegrees + 25.0;
  EXPECT_NEAR(degrees, 27.5, 0.15);
  EXPECT_NEAR(device(1).Read(regs::kExternal1 + 2) * scales.externalVolts, 1.25, 0.001);
  EXPECT_EQ(device(1).Read(regs::kCell1), 0);
}

TEST_F(DeviceModelTest, ScansFollowTheModel) {
  Command(0, regs::kScanMixed);
  device(2).Cells().SetCellVolts(4, 3.1);
  Command(2, regs::kScanAll);
  EXPECT_NEAR(CellVoltsRead(2, 4), 3.1, 0.001);
  EXPECT_NE(device(2).Read(regs::kInternalTemp), 0);
}

TEST_F(DeviceModelTest, ThresholdsSetOverAndUnderVoltageBitsThatLatch) {
  device(1).Cells().SetCellVolts(3, 4.3);
  device(1).Cells().SetCellVolts(7, 2.8);
  Command(1, regs::kScanVolts);
  EXPECT_EQ(device(1).Read(regs::kOverVoltage), 1 << 2);
  EXPECT_EQ(device(1).Read(regs::kUnderVoltage), 1 << 6);
  EXPECT_EQ(device(1).Read(regs::kFaultStatus),
            regs::kStatusOverVoltage | regs::kStatusUnderVoltage);

  // The condition goes away; the bits stay until cleared.
  device(1).Cells().SetCellVolts(3, 3.7);
  device(1).Cells().SetCellVolts(7, 3.7);
  Command(1, regs::kScanVolts);
  EXPECT_EQ(device(1).Read(regs::kOverVoltage), 1 << 2);
  EXPECT_NE(device(1).Read(regs::kFaultStatus), 0);

  for (int index : {regs::kOverVoltage, regs::kUnderVoltage, regs::kFaultStatus}) {
    WriteReg(1, index, 0);
  }
  EXPECT_EQ(device(1).Read(regs::kOverVoltage), 0);
  EXPECT_EQ(device(1).Read(regs::kUnderVoltage), 0);
  EXPECT_EQ(device(1).Read(regs::kFaultStatus), 0);
  Command(1, regs::kScanVolts);
  EXPECT_EQ(device(1).Read(regs::kOverVoltage), 0);
}

TEST_F(DeviceModelTest, LoweredThresholdTripsEveryCellInUse) {
  WriteReg(1, regs::kOverVoltageThreshold, CellCounts(3.5, scales));
  WriteReg(1, regs::kCellSetup, 0x00F);  // cells 1..4 switched off
  Command(1, regs::kScanVolts);
  EXPECT_EQ(device(1).Read(regs::kOverVoltage), 0xFF0);
  EXPECT_EQ(device(1).Read(regs::kUnderVoltage), 0);
}

TEST_F(DeviceModelTest, HotDieSetsTheTemperatureFault) {
  device(1).Cells().SetInternalDegrees(80.0);
  Command(1, regs::kScanTemps);
  EXPECT_EQ(device(1).Read(regs::kTemperatureFaults), 0);
  WriteReg(1, regs::kInternalTempLimit, InternalTempCounts(60.0, scales));
  Command(1, regs::kScanTemps);
  EXPECT_EQ(device(1).Read(regs::kTemperatureFaults), regs::kInternalOverTemp);
  EXPECT_EQ(device(1).Read(regs::kFaultStatus), regs::kStatusOverTemp);
  WriteReg(1, regs::kTemperatureFaults, 0);
  EXPECT_EQ(device(1).Read(regs::kTemperatureFaults), 0);
}

TEST_F(DeviceModelTest, ClearFaultsCommandClearsTheLatchedBits) {
  device(2).Cells().SetCellVolts(1, 2.0);
  device(2).SetOpenWire(5, true);
  Command(2, regs::kScanAll);
  EXPECT_EQ(device(2).Read(regs::kOpenWire), 1 << 5);
  EXPECT_EQ(device(2).Read(regs::kFaultStatus) & regs::kStatusOpenWire, regs::kStatusOpenWire);
  device(2).Poke(regs::kTemperatureFaults, 1);
  Command(2, regs::kClearFaults);
  for (int index : {regs::kOverVoltage, regs::kUnderVoltage, regs::kOpenWire,
                    regs::kTemperatureFaults, regs::kFaultStatus}) {
    EXPECT_EQ(device(2).Read(index), 0);
  }
}

TEST_F(DeviceModelTest, BalancingDrainsOnlyTheSwitchedCellsWhileEnabled) {
  CellModel& cells = device(1).Cells();
  const double cell2 = cells.CellVolts(2);
  const double cell3 = cells.CellVolts(3);
  chain.Advance(0);
  WriteReg(1, regs::kBalanceSwitches, 1 << 1);
  chain.Advance(10000);
  EXPECT_DOUBLE_EQ(cells.CellVolts(2), cell2);  // switches alone do nothing

  Command(1, regs::kBalanceEnable);
  EXPECT_TRUE(device(1).BalanceEnabled());
  chain.Advance(20000);
  EXPECT_NEAR(cells.CellVolts(2), cell2 - 10 * SimulatedDevice::kBalanceVoltsPerSecond, 1e-9);
  EXPECT_DOUBLE_EQ(cells.CellVolts(3), cell3);
  Command(1, regs::kScanVolts);
  EXPECT_NEAR(CellVoltsRead(1, 2), cells.CellVolts(2), 0.001);

  Command(1, regs::kBalanceInhibit);
  const double held = cells.CellVolts(2);
  chain.Advance(30000);
  EXPECT_DOUBLE_EQ(cells.CellVolts(2), held);

  // Bit 9 of the balance setup register enables it as well.
  WriteReg(1, regs::kBalanceSetup, regs::kBalanceEnableBit);
  chain.Advance(31000);
  EXPECT_LT(cells.CellVolts(2), held);
}

TEST_F(DeviceModelTest, ContinuousScanRefreshesUntilInhibited) {
  chain.Advance(0);
  Command(1, regs::kScanContinuous);
  EXPECT_TRUE(device(1).Scanning());
  device(1).Cells().SetCellVolts(1, 3.0);
  chain.Advance(50);
  EXPECT_EQ(device(1).Read(regs::kCell1), 0);
  chain.Advance(100);
  EXPECT_NEAR(CellVoltsRead(1, 1), 3.0, 0.001);

  Command(1, regs::kScanInhibit);
  device(1).Cells().SetCellVolts(1, 3.2);
  chain.Advance(1000);
  EXPECT_NEAR(CellVoltsRead(1, 1), 3.0, 0.001);
}

TEST_F(DeviceModelTest, SleepingDeviceAnswersNothingUntilWoken) {
  WriteReg(2, regs::kUser, 0x55);
  const auto slept = test::Frames(Daisy(chain, 0, 15, 3, regs::kSleep));
  EXPECT_EQ(slept.size(), 2u);  // both acknowledge before they sleep
  EXPECT_TRUE(device(1).Asleep());
  EXPECT_TRUE(Daisy(chain, 0, 2, 2, 22).empty());
  EXPECT_TRUE(Daisy(chain, 0, 0, 3, regs::kScanVolts).empty());
  EXPECT_EQ(device(1).Read(regs::kCell1), 0);  // a sleeping device does not scan

  const auto woke = test::Frames(Daisy(chain, 0, 15, 3, regs::kWake));
  ASSERT_EQ(woke.size(), 2u);
  EXPECT_TRUE(test::IsAck(woke[0]));
  EXPECT_FALSE(device(2).Asleep());
  EXPECT_EQ(test::Frames(Daisy(chain, 0, 2, 2, 22)).at(0).dat, 0x55);
  // The companion chain was never put to sleep.
  EXPECT_FALSE(chain.Device(1, 1).Asleep());
}

TEST_F(DeviceModelTest, SleepStopsBalancing) {
  chain.Advance(0);
  WriteReg(1, regs::kBalanceSwitches, 1);
  Command(1, regs::kBalanceEnable);
  Command(1, regs::kSleep);
  const double before = device(1).Cells().CellVolts(1);
  chain.Advance(60000);
  EXPECT_DOUBLE_EQ(device(1).Cells().CellVolts(1), before);
}

TEST(RawScaleTest, EachFamilyMeasuresWithItsOwnScales) {
  for (const char* text : {"daisy:52400x1", "daisy:38817x1"}) {
    std::string error;
    const ChainLayout chainLayout = ParseChainLayout(text, error).value();
    const ChainScales scales = ScalesFor(chainLayout.family);
    SimulatedChain chain(chainLayout);
    test::NumberAll(chain);
    Daisy(chain, 0, 1, 3, regs::kScanAll);
    SimulatedDevice& device = chain.Device(0, 1);
    EXPECT_NEAR(SignedCounts(device.Read(regs::kCell1)) * scales.cellVolts,
                device.Cells().CellVolts(1), 0.001)
        << text;
    EXPECT_NEAR((device.Read(regs::kInternalTemp) - scales.tint25) * scales.tempDegrees + 25.0,
                device.Cells().InternalDegrees(), 0.15)
        << text;
  }
  EXPECT_NE(ScalesFor(PrimaryFamily::k38817).cellVolts, ScalesFor(PrimaryFamily::k52400).cellVolts);
}

TEST(RawScaleTest, CellCountsAreSignedFourteenBit) {
  const ChainScales scales;
  EXPECT_EQ(SignedCounts(CellCounts(3.7, scales)), std::lround(3.7 / scales.cellVolts));
  EXPECT_EQ(CellCounts(-scales.cellVolts, scales), 0x3FFF);
  EXPECT_EQ(CellCounts(100.0, scales), 0x1FFF);
  EXPECT_EQ(CellCounts(-100.0, scales), 0x2000);
  EXPECT_EQ(SignedCounts(0x2000), -8192);
  EXPECT_EQ(InternalTempCounts(25.0, scales), scales.tint25);
  EXPECT_EQ(VbatCounts(-1.0, scales), 0);
  EXPECT_EQ(VbatCounts(1000.0, scales), 0x3FFF);
}

}  // namespace
}  // namespace qvm::sim
