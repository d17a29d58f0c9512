// SPDX-License-Identifier: MIT
#include <gmock/gmock.h>

#include <QCoreApplication>
#include <vector>

#include "chart_window_fixture.h"
#include "ui/chart_traces.h"

namespace qvm::test {
namespace {

class ChartViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rig = std::make_unique<ChartWindowRig>("daisy:52400x3", kModeDaisyChain);
    rig->window->show();
    rig->ReadSamples(3);
  }
  FrmCharting& window() { return *rig->window; }
  // Lets the queued redraws lay the charts out.
  static void Settle() {
    for (int pass = 0; pass < 3; ++pass) QCoreApplication::processEvents();
  }

  std::unique_ptr<ChartWindowRig> rig;
};

TEST_F(ChartViewTest, LegendsKeepOneTimeAxisForAllCharts) {
  struct Case {
    int width;
    bool legends;
    bool packsShown;  // every pack series shown
    bool cellsShown;  // the cells of both devices shown
    bool tempChart;
  };
  const std::vector<Case> cases = {
      {1360, false, false, true, true}, {1360, true, false, true, true},
      {1000, true, false, false, true}, {1800, true, true, true, true},
      {1100, true, true, false, false},
  };
  for (const Case& c : cases) {
    window().resize(c.width, 900);
    window().chkShowChartLegends->setChecked(c.legends);
    window().chkShowITChart->setChecked(c.tempChart);
    (c.packsShown ? window().cmbChartShowAll : window().cmbChartShowNone)[2]->click();
    for (int group : {0, 1}) {
      (c.cellsShown ? window().cmbChartShowAll : window().cmbChartShowNone)[group]->click();
    }
    Settle();
    const QRect first = window().CellVoltageChartControl->axisRect()->rect();
    for (ChartKind kind : {ChartKind::Cells, ChartKind::Packs, ChartKind::IcTemp,
                           ChartKind::EtVolts, ChartKind::Faults}) {
      ChartPlot& chart = *window().Chart(kind);
      if (chart.isHidden()) continue;
      const QRect axis = chart.axisRect()->rect();
      EXPECT_EQ(chart.mapTo(&window(), axis.topLeft()).x(),
                window().CellVoltageChartControl->mapTo(&window(), first.topLeft()).x())
          << c.width << " chart " << static_cast<int>(kind);
      EXPECT_EQ(axis.right(), first.right()) << c.width << " chart " << static_cast<int>(kind);
      EXPECT_EQ(chart.width(), window().CellVoltageChartControl->width());
      EXPECT_EQ(chart.legend->visible(), c.legends);
      // The legend lies beside the plot, never over it.
      if (c.legends) {
        EXPECT_GE(chart.legend->outerRect().left(), axis.right());
      }
    }
    EXPECT_GT(first.width(), c.width / 3) << c.width;
  }
}

TEST_F(ChartViewTest, ValueZoomThatWouldShowNoTraceCentresOnTheNearestOrSaysWhy) {
  ChartPlot& cells = *window().CellVoltageChartControl;
  const auto shows = [&cells] {
    return TracesReach(cells.ShownTraces(), cells.TimeRange(), cells.ValueRange());
  };
  // Cells at their 0-5 V start show; 10 mV about the centre would show none of them.
  ASSERT_TRUE(shows());
  const double centre = cells.ValueRange().Centre();
  ASSERT_FALSE(
      TracesReach(cells.ShownTraces(), cells.TimeRange(), {centre - 0.005, centre + 0.005}));
  window().sliderZoomCellVoltage->setValue(10);
  EXPECT_NEAR(cells.ValueRange().Span(), 0.01, 1e-9);
  EXPECT_TRUE(shows());
  EXPECT_THAT(window().lblZoomNote->text().toStdString(),
              ::testing::HasSubstr("Cells (V): no trace between"));
  // A zoom that keeps a trace in view keeps its centre and clears the note.
  const double kept = cells.ValueRange().Centre();
  window().sliderZoomCellVoltage->setValue(9);
  EXPECT_NEAR(cells.ValueRange().Centre(), kept, 1e-9);
  EXPECT_TRUE(window().lblZoomNote->text().isEmpty());
  // With every cell series hidden there is nothing to centre on: the note says so.
  window().cmbChartShowNone[0]->click();
  window().cmbChartShowNone[1]->click();
  window().sliderZoomCellVoltage->setValue(1);
  EXPECT_EQ(window().lblZoomNote->text(), "Cells (V): nothing is drawn in this time window.");
}

}  // namespace
}  // namespace qvm::test
