// SPDX-License-Identifier: MIT
#include "records/chart_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "chart_fixture.h"
#include "model/decoders.h"
#include "records/chart_points.h"

namespace qvm::test {
namespace {

class RecordingHooks final : public ChartWindowHooks {
 public:
  void ShowStartingTime(const std::string& longTime) override { startTimes.push_back(longTime); }
  void SampleDrawn() override { ++drawn; }
  void EnableSampleButtons() override { ++enabled; }
  void SeriesRebuilt() override { ++rebuilt; }
  void OldestDropped(int count) override { dropped.push_back(count); }

  std::vector<std::string> startTimes;
  int drawn = 0;
  int enabled = 0;
  int rebuilt = 0;
  std::vector<int> dropped;
};

class ChartStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bench = std::make_unique<ChartBench>();
    bench->store.SetHooks(&hooks);
  }
  ChartStore& store() { return bench->store; }
  const ChartSeries& Series(ChartKind kind, int index) {
    return store().Series().Series(kind, index);
  }
  ChartSeriesPoints Points(ChartKind kind, int index) {
    return ChartSeriesPoints(store(), Series(kind, index));
  }
  // Point `point` of a series; a point it lacks fails the test.
  ChartPoint At(ChartKind kind, int index, std::size_t point) {
    const ChartSeriesPoints points = Points(kind, index);
    if (point >= points.size()) {
      ADD_FAILURE() << "no point " << point;
      return {};
    }
    return points[point];
  }

  std::unique_ptr<ChartBench> bench;
  RecordingHooks hooks;
};

TEST_F(ChartStoreTest, FirstSampleStartsTheTimeBase) {
  bench->clock.SleepMs(123456);
  store().AddNewVoltageDataToChartArray();
  EXPECT_TRUE(store().ChartStarted());
  EXPECT_EQ(store().ChartSampleIndex(), 1);
  EXPECT_EQ(store().ElapsedMinutes(0), 0.0);
  EXPECT_EQ(hooks.startTimes, std::vector<std::string>{"5:01:09 PM"});
  bench->clock.SleepMs(90000);
  store().AddNewVoltageDataToChartArray();
  EXPECT_EQ(store().ChartSampleIndex(), 2);
  EXPECT_DOUBLE_EQ(store().ElapsedMinutes(1), 1.5);
  EXPECT_EQ(hooks.startTimes.size(), 1u);
  EXPECT_EQ(hooks.drawn, 2);
  EXPECT_EQ(hooks.enabled, 2);
}

TEST_F(ChartStoreTest, CopiesTheRawValuesOfEveryDevice) {
  for (int d = 0; d < 16; ++d) {
    for (int c = 0; c < 12; ++c)
      bench->image.StoreRead(0, d, 0x41 + c, static_cast<std::int16_t>(d * 100 + c), 1);
    for (int k = 0; k < 4; ++k)
      bench->image.StoreRead(0, d, 0x51 + k, static_cast<std::int16_t>(d * 10 + k), 1);
    bench->image.StoreRead(0, d, 0x40, static_cast<std::int16_t>(5000 + d), 1);
    bench->image.StoreRead(0, d, 0x50, static_cast<std::int16_t>(9000 + d), 1);
    bench->image.StoreRead(0, d, 0x84, static_cast<std::int16_t>(d), 1);
    bench->image.StoreRead(1, d, 0x84, static_cast<std::int16_t>(0x2000 + d), 1);
  }
  store().AddNewVoltageDataToChartArray();
  for (int d = 0; d < 16; ++d) {
    EXPECT_EQ(store().CellRaw(0, 11, d), d * 100 + 11);
    EXPECT_EQ(store().EtRaw(0, 3, d), d * 10 + 3);
    EXPECT_EQ(store().VbatRaw(0, d), 5000 + d);
    EXPECT_EQ(store().IcTempRaw(0, d), 9000 + d);
    EXPECT_EQ(store().FaultRawA(0, d), d);
    EXPECT_EQ(store().FaultRawB(0, d), 0x2000 + d);
  }
}

TEST_F(ChartStoreTest, DrawsDecodedValuesAndFaultLevels) {
  bench->state.DaisyChainMode = true;
  store().Initialize(true, true);
  bench->image.StoreRead(0, 1, 0x41, 0x3FFF, 1);
  bench->image.StoreRead(0, 1, 0x42, 8000, 1);
  bench->image.StoreRead(0, 1, 0x40, 20000, 1);
  bench->image.StoreRead(0, 1, 0x50, 9217 + 50, 1);
  bench->image.StoreRead(0, 2, 0x84, 0x0004, 1);
  for (const auto& [type, dev] : {std::pair{0, 1}, {1, 1}, {1, 2}}) {
    bench->image.StoreRead(type, dev, 0x84, 0, 1);
  }
  store().AddNewVoltageDataToChartArray();
  EXPECT_DOUBLE_EQ(At(ChartKind::Cells, 0, 0).y, -kCellScale);
  EXPECT_DOUBLE_EQ(At(ChartKind::Cells, 1, 0).y, 8000 * kCellScale);
  EXPECT_DOUBLE_EQ(At(ChartKind::Packs, 0, 0).y, 20000 * kVbatScale);
  EXPECT_DOUBLE_EQ(At(ChartKind::IcTemp, 0, 0).y, 50 * kTempScale + 25);
  EXPECT_DOUBLE_EQ(At(ChartKind::Faults, 0, 0).y, 0.1);
  EXPECT_DOUBLE_EQ(At(ChartKind::Faults, 1, 0).y, 0.2);
  EXPECT_DOUBLE_EQ(At(ChartKind::Faults, 2, 0).y, 1.3);
  EXPECT_DOUBLE_EQ(At(ChartKind::Faults, 3, 0).y, 0.4);
  bench->image.StoreRead(0, 1, 0x84, 1, 1);
  store().AddNewVoltageDataToChartArray();
  EXPECT_DOUBLE_EQ(At(ChartKind::Faults, 0, 1).y, 1.1);
  EXPECT_DOUBLE_EQ(store().ChartRange().cells.minimum, -kCellScale);
  EXPECT_DOUBLE_EQ(store().ChartRange().cells.maximum, 8000 * kCellScale);
  // The pack voltage of device 2 was never read: it widens no range.
  EXPECT_DOUBLE_EQ(store().ChartRange().packs.minimum, 20000 * kVbatScale);
  EXPECT_DOUBLE_EQ(store().ChartRange().packs.maximum, 20000 * kVbatScale);
}

TEST_F(ChartStoreTest, SingleDeviceDrawsOnlySlotZero) {
  store().Initialize(true, true);
  store().AddNewVoltageDataToChartArray();
  for (int n = 0; n < 24; ++n) {
    EXPECT_EQ(Points(ChartKind::Cells, n).size(), n < 12 ? 1u : 0u) << n;
    EXPECT_EQ(Series(ChartKind::Cells, n).visible, n < 12) << n;
  }
  EXPECT_EQ(Points(ChartKind::IcTemp, 1).size(), 0u);
  EXPECT_FALSE(Series(ChartKind::EtVolts, 4).visible);
  EXPECT_EQ(Points(ChartKind::EtVolts, 3).size(), 1u);
  EXPECT_EQ(Points(ChartKind::Faults, 2).size(), 0u);
  EXPECT_FALSE(Series(ChartKind::Faults, 3).visible);
  EXPECT_TRUE(Series(ChartKind::Packs, 0).visible);
  EXPECT_FALSE(Series(ChartKind::Packs, 1).visible);
}

TEST_F(ChartStoreTest, SeriesNamesColoursAndPackVisibility) {
  bench->state.DaisyChainMode = true;
  ASSERT_TRUE(store().HandlePackSelectCombobox(1, 4, true));
  EXPECT_EQ(Series(ChartKind::Cells, 0).name, "Vcell 1-1");
  EXPECT_EQ(Series(ChartKind::Cells, 23).name, "Vcell 5-12");
  EXPECT_EQ(Series(ChartKind::Cells, 12).colour, (Rgb{0, 0, 0}));
  EXPECT_EQ(Series(ChartKind::Cells, 13).colour, (Rgb{128, 64, 0}));
  EXPECT_EQ(Series(ChartKind::Packs, 13).name, "VPack  14");
  EXPECT_EQ(Series(ChartKind::IcTemp, 1).name, "ICTemp 5");
  EXPECT_EQ(Series(ChartKind::EtVolts, 7).name, "ETVolt 5-4");
  EXPECT_EQ(Series(ChartKind::Faults, 1).name, "Flt 401-1");
  EXPECT_EQ(Series(ChartKind::Faults, 2).name, "Flt 400-5");
  for (int n = 0; n < 14; ++n) {
    EXPECT_EQ(Series(ChartKind::Packs, n).visible, n == 0 || n == 4) << n;
  }
  bench->state.DaisyChainMode = false;
  ASSERT_TRUE(store().HandlePackSelectCombobox(2, 6, true));
  for (int n = 0; n < 14; ++n) EXPECT_EQ(Series(ChartKind::Packs, n).visible, n == 6) << n;
  EXPECT_FALSE(store().HandlePackSelectCombobox(3, 0, true));
  EXPECT_FALSE(store().HandlePackSelectCombobox(0, 15, true));
  EXPECT_EQ(store().SelectedPack(0), 1);
}

TEST_F(ChartStoreTest, ChangingAPackKeepsTheTimeBaseAndDrawsItsStoredHistory) {
  bench->state.DaisyChainMode = true;
  store().Initialize(true, true);
  bench->image.StoreRead(0, 3, 0x41, 4000, 1);
  bench->image.StoreRead(0, 3, 0x40, 1000, 1);
  store().AddNewVoltageDataToChartArray();
  bench->clock.SleepMs(60000);
  bench->image.StoreRead(0, 3, 0x41, 6000, 1);
  store().AddNewVoltageDataToChartArray();
  const int rebuilds = hooks.rebuilt;
  ASSERT_TRUE(store().HandlePackSelectCombobox(1, 2, true));
  EXPECT_EQ(hooks.rebuilt, rebuilds + 1);
  ASSERT_TRUE(store().HandlePackSelectCombobox(1, 2, true));
  EXPECT_EQ(hooks.rebuilt, rebuilds + 1);
  EXPECT_EQ(Series(ChartKind::Cells, 12).name, "Vcell 3-1");
  // The stored samples of device 3 are drawn at once, in the time base kept.
  ASSERT_EQ(Points(ChartKind::Cells, 12).size(), 2u);
  EXPECT_DOUBLE_EQ(At(ChartKind::Cells, 12, 0).y, 4000 * kCellScale);
  EXPECT_DOUBLE_EQ(At(ChartKind::Cells, 12, 1).x, 1.0);
  EXPECT_DOUBLE_EQ(At(ChartKind::Cells, 12, 1).y, 6000 * kCellScale);
  EXPECT_DOUBLE_EQ(store().ChartRange().cells.maximum, 6000 * kCellScale);
  bench->clock.SleepMs(60000);
  store().AddNewVoltageDataToChartArray();
  EXPECT_TRUE(store().ChartStarted());
  EXPECT_EQ(store().ChartSampleIndex(), 3);
  ASSERT_EQ(Points(ChartKind::Cells, 12).size(), 3u);
  EXPECT_DOUBLE_EQ(At(ChartKind::Cells, 12, 2).x, 2.0);
  // The pack voltage lands in the series of its own device number.
  ASSERT_EQ(Points(ChartKind::Packs, 2).size(), 3u);
  EXPECT_DOUBLE_EQ(At(ChartKind::Packs, 2, 0).y, 1000 * kVbatScale);
  EXPECT_EQ(Points(ChartKind::Packs, 1).size(), 0u);
  // One device in both slots draws its pack history twice per sample.
  ASSERT_TRUE(store().HandlePackSelectCombobox(0, 2, true));
  EXPECT_EQ(Points(ChartKind::Packs, 2).size(), 6u);
  EXPECT_EQ(Points(ChartKind::Packs, 0).size(), 0u);
  // A restart draws nothing until the next sample.
  store().Initialize(true, true);
  EXPECT_TRUE(Points(ChartKind::Cells, 12).empty());
}

TEST_F(ChartStoreTest, OnePackInBothSlotsGivesItsSeriesTwoPointsPerSample) {
  bench->state.DaisyChainMode = true;
  ASSERT_TRUE(store().HandlePackSelectCombobox(1, 0, true));
  for (std::int16_t raw : {100, 200}) {
    bench->image.StoreRead(0, 1, 0x40, raw, 1);
    store().AddNewVoltageDataToChartArray();
    bench->clock.SleepMs(60000);
  }
  const ChartSeriesPoints points = Points(ChartKind::Packs, 0);
  ASSERT_EQ(points.size(), 4u);
  const std::vector<int> samples = {0, 0, 1, 1};
  for (std::size_t n = 0; n < 4; ++n) {
    EXPECT_EQ(points[n].sample, samples[n]) << n;
    EXPECT_DOUBLE_EQ(points[n].x, samples[n]) << n;
    EXPECT_DOUBLE_EQ(points[n].y, (samples[n] + 1) * 100 * kVbatScale) << n;
  }
  EXPECT_EQ(Points(ChartKind::Cells, 12).size(), 2u);
}

// Which store samples a series draws, through appends, gaps, doubled points and drops.
TEST(ChartSeriesSamplesTest, RunsFollowAppendsAndDrops) {
  struct Case {
    std::vector<std::pair<int, int>> added;  // sample, points
    int dropped;
    std::vector<int> samples;  // of each point after the drop
  };
  const std::vector<Case> cases = {
      {{{0, 1}, {1, 1}, {2, 1}}, 0, {0, 1, 2}},
      {{{5, 1}, {6, 1}, {9, 1}, {10, 1}}, 0, {5, 6, 9, 10}},
      {{{3, 2}, {4, 2}, {5, 1}}, 0, {3, 3, 4, 4, 5}},
      {{{5, 1}, {6, 1}, {9, 1}, {10, 1}}, 6, {0, 3, 4}},
      {{{5, 1}, {6, 1}, {9, 1}, {10, 1}}, 7, {2, 3}},
      {{{3, 2}, {4, 2}, {5, 1}}, 4, {0, 0, 1}},
      {{{0, 1}, {1, 1}}, 600, {}},
  };
  for (const Case& c : cases) {
    ChartSeriesSet set;
    set.Rebuild(1, 2, 1, true, true);
    ChartSeries& series = set.Series(ChartKind::Cells, 0);
    for (const auto& [sample, points] : c.added) series.AddSample(sample, points);
    set.DropOldest(c.dropped);
    std::vector<int> samples;
    for (std::size_t n = 0; n < series.PointCount(); ++n) samples.push_back(series.SampleOf(n));
    EXPECT_EQ(samples, c.samples) << "dropped " << c.dropped;
  }
}

TEST_F(ChartStoreTest, RestartBeginsAgainAtIndexZeroWithTheErrorsOfThatSample) {
  store().AddNewVoltageDataToChartArray();
  store().AddNewVoltageDataToChartArray(kComErrCrc4);
  store().AddNewVoltageDataToChartArray();
  EXPECT_EQ(store().ComErrorFlags(1), kComErrCrc4);
  store().Initialize(true, true);
  EXPECT_FALSE(store().ChartStarted());
  bench->clock.SleepMs(5 * 60000);
  store().AddNewVoltageDataToChartArray(kComErrPipe);
  EXPECT_EQ(store().ChartSampleIndex(), 1);
  EXPECT_EQ(store().ElapsedMinutes(0), 0.0);
  EXPECT_EQ(store().ComErrorFlags(0), kComErrPipe);
  EXPECT_EQ(hooks.startTimes.size(), 2u);
}

// A value the image never held is stored as never read and draws nothing; once read, the
// value stays, a later failed read leaving it as it was.
TEST_F(ChartStoreTest, ValuesNeverReadAreStoredAsSuchAndDrawNothing) {
  RegisterImage& image = bench->image;
  image.Clear();
  image.StoreRead(0, 1, 0x41, 9000, 7);
  store().AddNewVoltageDataToChartArray();
  image.MarkStale(0, 1, 0x41);
  image.StoreRead(0, 1, 0x40, 20000, 8);
  store().AddNewVoltageDataToChartArray();
  EXPECT_EQ(store().CellRaw(0, 0, 1), 9000);
  EXPECT_EQ(store().VbatRaw(0, 1), kChartNeverRead);
  EXPECT_EQ(store().CellRaw(1, 0, 1), 9000);
  EXPECT_EQ(store().VbatRaw(1, 1), 20000);
  for (const std::int16_t raw : {store().IcTempRaw(1, 1), store().EtRaw(1, 0, 1),
                                 store().FaultRawA(1, 1), store().CellRaw(1, 0, 2)}) {
    EXPECT_EQ(raw, kChartNeverRead);
  }
  EXPECT_TRUE(std::isnan(
      DecodedChartValue(ChartKind::IcTemp, bench->model, bench->state, kChartNeverRead)));
  EXPECT_FALSE(std::isnan(DecodedChartValue(ChartKind::IcTemp, bench->model, bench->state, 0)));
  EXPECT_EQ(store().ChartRange().packs.maximum,
            DecodeVbatVoltage(bench->model, static_cast<std::int16_t>(20000)));
}

TEST_F(ChartStoreTest, AFullStoreDropsTheOldestSixHundred) {
  // Sample n of the run (from 1) carries n in the pack value of device 1 and n ms of clock.
  for (int n = 1; n <= kChartCapacity; ++n) {
    bench->image.StoreRead(0, 1, 0x40, static_cast<std::int16_t>(n), 1);
    const bool flagged = n == 700 || n == kChartCapacity;
    store().AddNewVoltageDataToChartArray(flagged ? kComErrBadResponse : 0);
    bench->clock.SleepMs(60);
    if (n == kChartCapacity - 1) {
      EXPECT_EQ(store().ChartSampleIndex(), kChartFullIndex);
      EXPECT_TRUE(hooks.dropped.empty());
    }
  }
  EXPECT_EQ(hooks.dropped, std::vector<int>{600});
  EXPECT_EQ(store().ChartSampleIndex(), 32161);
  EXPECT_EQ(store().VbatRaw(0, 1), 601);
  EXPECT_EQ(store().VbatRaw(32160, 1), kChartCapacity);
  EXPECT_DOUBLE_EQ(store().ElapsedMinutes(0), 600 * 60 / 60000.0);
  EXPECT_EQ(store().ComErrorFlags(99), kComErrBadResponse);
  EXPECT_EQ(store().ComErrorFlags(32160), kComErrBadResponse);
  EXPECT_EQ(store().ComErrorFlags(32161), 0);
  const ChartSeriesPoints points = Points(ChartKind::Packs, 0);
  ASSERT_EQ(points.size(), 32161u);
  EXPECT_EQ(points[0].sample, 0);
  EXPECT_DOUBLE_EQ(points[0].y, 601 * kVbatScale);
  EXPECT_EQ(points[32160].sample, 32160);
  EXPECT_DOUBLE_EQ(points[32160].y, kChartCapacity * kVbatScale);

  bench->image.StoreRead(0, 1, 0x40, 1234, 1);
  store().AddNewVoltageDataToChartArray();
  EXPECT_EQ(store().ChartSampleIndex(), 32162);
  EXPECT_EQ(store().VbatRaw(32161, 1), 1234);
}

}  // namespace
}  // namespace qvm::test
