// SPDX-License-Identifier: MIT
#include <QCoreApplication>
#include <QTabWidget>
#include <algorithm>
#include <filesystem>
#include <tuple>

#include "chart_window_fixture.h"
#include "model/decoders.h"
#include "records/chart_export.h"
#include "records/chart_points.h"
#include "ui/chart_decimation.h"

namespace qvm::test {
namespace {

class ChartWindowTest : public ::testing::Test {
 protected:
  void Open(const std::string& chain = "daisy:52400x3", std::uint8_t mode = kModeDaisyChain) {
    rig = std::make_unique<ChartWindowRig>(chain, mode);
    rig->window->show();
  }
  FrmCharting& window() { return *rig->window; }
  ChartStore& store() { return rig->store; }

  std::unique_ptr<ChartWindowRig> rig;
};

TEST_F(ChartWindowTest, CaptionsFollowThePartNamesOnEveryShowing) {
  Open();
  EXPECT_EQ(window().windowTitle(), "QVM52400/QVM52401 Eval Chart Window");
  EXPECT_EQ(window().lblQVMDevice->text(), "QVM52400Eval");
  window().hide();
  rig->session().state.PartName52400 = "QVM38817";
  window().show();
  EXPECT_EQ(window().windowTitle(), "QVM38817/QVM52401 Eval Chart Window");
  EXPECT_EQ(window().lblQVMDevice->text(), "QVM38817Eval");
  EXPECT_EQ(window().cboChartCellSelector[0]->count(), 3);
  EXPECT_EQ(window().cboChartCellSelector[1]->currentText(), "2");
  EXPECT_EQ(window().chkChartShowSeries[11]->text(), "CELL 12");
  EXPECT_EQ(window().chkChartShowSeries[37]->text(), "PACK 14");
  EXPECT_EQ(window().CellVoltageChartControl->objectName(), "CellVoltageChartControl");
}

TEST_F(ChartWindowTest, SamplesOfTheChainAppearInThePlots) {
  Open();
  EXPECT_FALSE(window().cmdChartExportCsv->isEnabled());
  rig->ReadSamples(5);
  EXPECT_EQ(window().lblStartingTime->text(), "5:01:09 PM");
  for (int series : {0, 11, 12, 23}) {
    EXPECT_EQ(window().CellVoltageChartControl->DrawnPointCount(series), 5) << series;
  }
  EXPECT_EQ(window().PackVoltageChartControl->DrawnPointCount(0), 5);
  EXPECT_EQ(window().PackVoltageChartControl->DrawnPointCount(1), 5);
  EXPECT_FALSE(window().PackVoltageChartControl->DrawnVisible(2));
  EXPECT_EQ(window().TempChartControl->DrawnPointCount(1), 5);
  EXPECT_EQ(window().ETVoltChartControl->DrawnPointCount(7), 5);
  EXPECT_EQ(window().FaultStatusChartControl->DrawnPointCount(3), 5);
  auto& data = *window().CellVoltageChartControl->Graph(13)->data();
  const auto& model = rig->session().model;
  EXPECT_DOUBLE_EQ((data.end() - 1)->value,
                   DecodeCellVoltage(model, rig->session().image.at(0, 2, kRegCell1 + 1)));
  EXPECT_DOUBLE_EQ((data.end() - 1)->key, store().ElapsedMinutes(4));
  EXPECT_GT(store().ElapsedMinutes(4), 4.0 / 60);
  EXPECT_GT((data.end() - 1)->value, 1.0);
  for (QPushButton* button :
       {window().cmdChartExportCsv, window().cmdChartAutoZoom, window().cmbClearChart}) {
    EXPECT_TRUE(button->isEnabled());
  }
}

TEST_F(ChartWindowTest, AWindowOpenedAfterTheFirstSampleShowsTheStartTime) {
  Open();
  rig->ReadSamples(2);
  FrmCharting late(rig->session(), store(), rig->channel);
  late.resize(1360, 900);
  late.show();
  EXPECT_EQ(late.lblStartingTime->text(), "5:01:09 PM");
  EXPECT_EQ(late.CellVoltageChartControl->DrawnPointCount(0), 2);
}

TEST_F(ChartWindowTest, FaultLevelsSeparateTheFourSeries) {
  Open();
  for (const auto& [type, dev] : {std::pair{0, 1}, {0, 2}, {1, 2}}) {
    rig->session().image.StoreRead(type, dev, kRegFaultStatusWord, 0, 1);
  }
  rig->session().image.StoreRead(1, 1, kRegFaultStatusWord, 0x0010, 1);
  rig->StoreSamples(1, 1000);
  const auto level = [&](int series) {
    return window().FaultStatusChartControl->Graph(series)->data()->begin()->value;
  };
  EXPECT_NEAR(level(0), 0.1, 1e-9);
  EXPECT_NEAR(level(1), 1.2, 1e-9);
  EXPECT_NEAR(level(2), 0.3, 1e-9);
  EXPECT_NEAR(level(3), 0.4, 1e-9);
}

TEST_F(ChartWindowTest, ShowBoxesAndGroupsShowAndHideTheirSeries) {
  Open();
  rig->ReadSamples(2);
  window().chkChartShowSeries[3]->setChecked(false);
  EXPECT_FALSE(store().Series().Series(ChartKind::Cells, 3).visible);
  EXPECT_FALSE(window().CellVoltageChartControl->DrawnVisible(3));
  window().cmbChartShowNone[1]->click();
  for (int box = 12; box < 24; ++box) {
    EXPECT_FALSE(window().chkChartShowSeries[static_cast<std::size_t>(box)]->isChecked());
    EXPECT_FALSE(window().CellVoltageChartControl->DrawnVisible(box));
  }
  EXPECT_TRUE(window().CellVoltageChartControl->DrawnVisible(4));
  window().cmbChartShowAll[0]->click();
  EXPECT_TRUE(window().CellVoltageChartControl->DrawnVisible(3));
  EXPECT_TRUE(window().chkChartShowSeries[3]->isChecked());
  window().chkChartShowSeries[24 + 5]->setChecked(true);
  EXPECT_TRUE(store().Series().Series(ChartKind::Packs, 5).visible);
  EXPECT_TRUE(window().PackVoltageChartControl->DrawnVisible(5));
  window().cmbChartShowNone[2]->click();
  for (int pack = 0; pack < 14; ++pack) {
    EXPECT_FALSE(window().PackVoltageChartControl->DrawnVisible(pack)) << pack;
  }
  window().cmbChartShowAll[2]->click();
  EXPECT_TRUE(window().chkChartShowSeries[37]->isChecked());
  // Boxes hidden again still keep their points coming.
  rig->ReadSamples(1);
  EXPECT_EQ(store().Series().Series(ChartKind::Cells, 12).PointCount(), 3u);
  window().cmbChartShowAll[1]->click();
  EXPECT_EQ(window().CellVoltageChartControl->DrawnPointCount(12), 3);
}

TEST_F(ChartWindowTest, SingleDeviceShowsOnlyTheFirstSlot) {
  Open("single:52400", kModeSingleDevice);
  rig->ReadSamples(3);
  EXPECT_EQ(window().CellVoltageChartControl->DrawnPointCount(0), 3);
  EXPECT_EQ(window().CellVoltageChartControl->DrawnPointCount(12), 0);
  for (int box = 12; box < 24; ++box) {
    EXPECT_FALSE(window().chkChartShowSeries[static_cast<std::size_t>(box)]->isChecked());
    EXPECT_FALSE(window().chkChartShowSeries[static_cast<std::size_t>(box)]->isEnabled());
  }
  EXPECT_FALSE(window().cmbChartShowAll[1]->isEnabled());
  EXPECT_FALSE(window().cboChartCellSelector[1]->isEnabled());
  EXPECT_TRUE(window().cboChartCellSelector[2]->isEnabled());
  EXPECT_EQ(window().cboChartCellSelector[0]->count(), 1);
  EXPECT_TRUE(window().PackVoltageChartControl->DrawnVisible(0));
  EXPECT_TRUE(window().chkChartShowSeries[24]->isChecked());
}

TEST_F(ChartWindowTest, ChoosingAnotherPackDrawsItsStoredHistoryInTheSameTimeBase) {
  Open();
  rig->ReadSamples(4);
  window().cboChartCellSelector[0]->setCurrentIndex(2);
  EXPECT_EQ(store().SelectedPack(0), 3);
  EXPECT_EQ(window().CellVoltageChartControl->Graph(0)->name(), "Vcell 3-1");
  EXPECT_EQ(window().CellVoltageChartControl->Graph(12)->name(), "Vcell 2-1");
  EXPECT_EQ(window().TempChartControl->Graph(0)->name(), "ICTemp 3");
  EXPECT_TRUE(window().chkChartShowSeries[24 + 2]->isChecked());
  EXPECT_FALSE(window().chkChartShowSeries[24]->isChecked());
  // Every graph of device 3 holds the samples polled before the change, as stored.
  const auto raw = [this](ChartKind kind, int column, int sample) {
    return kind == ChartKind::Cells ? store().CellRaw(sample, column, 3)
                                    : store().VbatRaw(sample, 3);
  };
  for (const auto& [chart, series, kind] :
       {std::tuple{window().CellVoltageChartControl, 0, ChartKind::Cells},
        {window().CellVoltageChartControl, 11, ChartKind::Cells},
        {window().PackVoltageChartControl, 2, ChartKind::Packs}}) {
    const ChartSeries& source = store().Series().Series(kind, series);
    EXPECT_EQ(source.device, 3);
    ASSERT_EQ(chart->DrawnPointCount(series), 4) << series;
    for (int sample = 0; sample < 4; ++sample) {
      const QCPGraphData& drawn = *chart->Graph(series)->data()->at(sample);
      EXPECT_DOUBLE_EQ(drawn.key, store().ElapsedMinutes(sample));
      EXPECT_DOUBLE_EQ(drawn.value,
                       DecodedChartValue(kind, rig->session().model, rig->session().state,
                                         raw(kind, source.column, sample)))
          << series << " " << sample;
    }
  }
  EXPECT_GT(store().ElapsedMinutes(3), 0);
  rig->ReadSamples(1);
  EXPECT_EQ(window().CellVoltageChartControl->DrawnPointCount(0), 5);
  EXPECT_EQ(store().ChartSampleIndex(), 5);
}

TEST_F(ChartWindowTest, FullStoreDropsTheOldestPointsFromThePlots) {
  rig = std::make_unique<ChartWindowRig>("daisy:52400x2", kModeDaisyChain);
  for (int dev = 1; dev <= 2; ++dev) {
    for (int cell = 0; cell < kChartCells; ++cell) {
      rig->session().image.StoreRead(0, dev, kRegCell1 + cell, 9000, 1);
    }
  }
  rig->StoreSamples(kChartCapacity, 1000);
  rig->window->show();
  ASSERT_EQ(store().ChartSampleIndex(), kChartCapacity - kChartDropCount);
  ChartPlot& cells = *window().CellVoltageChartControl;
  const double newest = store().ElapsedMinutes(store().ChartSampleIndex() - 1);
  cells.SetTimeRange({0, newest});
  cells.Refresh();
  EXPECT_DOUBLE_EQ(cells.Graph(0)->data()->begin()->key, 10.0);
  EXPECT_DOUBLE_EQ((cells.Graph(0)->data()->end() - 1)->key, newest);
  EXPECT_LE(cells.DrawnPointCount(0), 2 * cells.axisRect()->width() + 4);
  // Scanned in blocks of samples side by side, every series draws what decimating it alone gives.
  for (int n = 0; n < 24; ++n) {
    std::vector<PlotPoint> alone;
    DecimateToColumns(ChartSeriesPoints(store(), store().Series().Series(ChartKind::Cells, n)), 0,
                      newest, cells.axisRect()->width(), alone);
    std::vector<PlotPoint> drawn;
    for (const QCPGraphData& point : *cells.Graph(n)->data()) {
      drawn.push_back({point.key, point.value});
    }
    EXPECT_EQ(drawn, alone) << n;
  }
  // A narrow window passes every point in it and the one before it.
  cells.SetTimeRange({newest - 1, newest});
  cells.Refresh();
  EXPECT_EQ(cells.DrawnPointCount(0), 62);
  rig->StoreSamples(1, 1000);
  EXPECT_EQ(store().ChartSampleIndex(), kChartCapacity - kChartDropCount + 1);
}

TEST_F(ChartWindowTest, RollingAndFixedTimeWindows) {
  Open();
  window().sliderZoomTime->setValue(4);
  EXPECT_EQ(window().ZoomLabelOf(ZoomAxis::Time)->text(), "30 min");
  rig->StoreSamples(11, 60000);
  EXPECT_EQ(window().CellVoltageChartControl->TimeRange(), (AxisRange{0, 10}));
  window().chkRollChart->setChecked(true);
  rig->StoreSamples(30, 60000);
  EXPECT_EQ(window().CellVoltageChartControl->TimeRange(), (AxisRange{10, 40}));
  EXPECT_EQ(window().FaultStatusChartControl->TimeRange(), (AxisRange{10, 40}));
  window().sliderZoomTime->setValue(6);
  EXPECT_EQ(window().ZoomLabelOf(ZoomAxis::Time)->text(), "5 min");
  EXPECT_EQ(window().PackVoltageChartControl->TimeRange(), (AxisRange{35, 40}));
  window().chkRollChart->setChecked(false);
  // Centre 37.5 stays; the newest sample at 40 stays in view.
  window().sliderZoomTime->setValue(5);
  EXPECT_EQ(window().CellVoltageChartControl->TimeRange(), (AxisRange{30, 45}));
  rig->StoreSamples(1, 60000);
  EXPECT_EQ(window().CellVoltageChartControl->TimeRange(), (AxisRange{30, 45}));
}

TEST_F(ChartWindowTest, ValueZoomKeepsTheCentreAndAutoFitCentresOnTheObservedValues) {
  Open();
  window().sliderZoomCellVoltage->setValue(4);
  EXPECT_EQ(window().ZoomLabelOf(ZoomAxis::CellVoltage)->text(), "1V");
  rig->ReadSamples(2);
  EXPECT_EQ(window().CellVoltageChartControl->ValueRange(), (AxisRange{2, 3}));
  window().sliderZoomPackVoltage->setValue(0);
  EXPECT_EQ(window().sliderZoomPackVoltage->value(), 1);
  window().sliderZoomPackVoltage->setValue(11);
  EXPECT_EQ(window().ZoomLabelOf(ZoomAxis::PackVoltage)->text(), "0.1V");
  window().cmdChartAutoZoom->click();
  EXPECT_FALSE(window().cmdChartAutoZoom->isEnabled());
  const ChartRanges& observed = store().ChartRange();
  const AxisRange cells = window().CellVoltageChartControl->ValueRange();
  EXPECT_NEAR(cells.Centre(), (observed.cells.minimum + observed.cells.maximum) / 2, 1e-9);
  EXPECT_NEAR(cells.Span(), 1.0, 1e-9);
  const AxisRange temps = window().TempChartControl->ValueRange();
  EXPECT_NEAR(temps.Centre(), (observed.icTemp.minimum + observed.icTemp.maximum) / 2, 1e-9);
  EXPECT_NEAR(temps.Span(), 250, 1e-9);
  rig->ReadSamples(1);
  EXPECT_TRUE(window().cmdChartAutoZoom->isEnabled());
  // The cell axis stops at 0 V.
  window().sliderZoomCellVoltage->setValue(1);
  EXPECT_EQ(window().CellVoltageChartControl->ValueRange().lower, 0);
}

TEST_F(ChartWindowTest, ClearChartsEmptiesThePlotsAndRestartsTheTime) {
  Open();
  rig->ReadSamples(3, 30000);
  window().cmbClearChart->click();
  EXPECT_FALSE(window().cmbClearChart->isEnabled());
  EXPECT_FALSE(window().cmdChartExportCsv->isEnabled());
  EXPECT_FALSE(window().cmdChartAutoZoom->isEnabled());
  EXPECT_EQ(window().CellVoltageChartControl->DrawnPointCount(0), 0);
  EXPECT_EQ(window().CellVoltageChartControl->TimeRange(), (AxisRange{0, 0.25}));
  rig->ReadSamples(1);
  EXPECT_EQ(store().ChartSampleIndex(), 1);
  EXPECT_EQ(window().CellVoltageChartControl->Graph(0)->data()->begin()->key, 0.0);
  EXPECT_TRUE(window().cmbClearChart->isEnabled());
}

TEST_F(ChartWindowTest, ExportWritesTheStoreToTheChosenFile) {
  Open();
  rig->ReadSamples(4);
  store().AddNewVoltageDataToChartArray(kComErrCrc4 | kComErrPipe);
  const std::string path = rig->folder.File("chart.csv");
  rig->bench.host.fileAnswers = {path};
  window().cmdChartExportCsv->click();
  EXPECT_FALSE(window().cmdChartExportCsv->isEnabled());
  const std::string text = ReadWholeFile(path);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.rfind("TimeStamp,Elapsed(min),ComErrors,VCell1-1,", 0), 0u);
  EXPECT_NE(text.find("FAULTSTAT401-3,\r\n"), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6);
  EXPECT_NE(text.find(",CRCErr_PipeComErr_,"), std::string::npos);
  EXPECT_NE(text.find("5:01:13 PM,0.07,"), std::string::npos);
  rig->ReadSamples(1);
  EXPECT_TRUE(window().cmdChartExportCsv->isEnabled());
}

TEST_F(ChartWindowTest, CancelledExportWritesNothing) {
  Open();
  rig->ReadSamples(2);
  window().cmdChartExportCsv->click();
  ASSERT_FALSE(rig->bench.host.messages.empty());
  EXPECT_EQ(rig->bench.host.messages.back().text, "Export to CSV cancelled, logfile not created.");
  EXPECT_TRUE(std::filesystem::is_empty(rig->folder.path()));
}

TEST_F(ChartWindowTest, PinnedWindowOnlyHides) {
  Open();
  window().ChartWindowPinned = true;
  EXPECT_FALSE(window().close());
  EXPECT_FALSE(window().isVisible());
  window().show();
  window().cmdHideChart->click();
  EXPECT_FALSE(window().isVisible());
  window().show();
  window().ChartWindowPinned = false;
  EXPECT_TRUE(window().close());
  EXPECT_FALSE(window().isVisible());
}

TEST_F(ChartWindowTest, DisplayOptionsRelayTheCharts) {
  Open();
  rig->ReadSamples(2);
  EXPECT_TRUE(window().TempChartControl->isVisible());
  window().chkShowITChart->setChecked(false);
  window().chkShowETChart->setChecked(false);
  EXPECT_FALSE(window().TempChartControl->isVisible());
  EXPECT_FALSE(window().ETVoltChartControl->isVisible());
  rig->ReadSamples(1);
  window().chkShowITChart->setChecked(true);
  EXPECT_EQ(window().TempChartControl->DrawnPointCount(0), 3);
  EXPECT_EQ(window().CellVoltageChartControl->yAxis->label(), "Cells (V)");
  EXPECT_EQ(window().FaultStatusChartControl->xAxis->label(), "Elapsed Time (min)");
  EXPECT_FALSE(window().CellVoltageChartControl->xAxis->tickLabels());
  window().chkShowChartAxisTitles->setChecked(false);
  EXPECT_TRUE(window().CellVoltageChartControl->yAxis->label().isEmpty());
  window().chkShowChartXAxisLabelsAll->setChecked(true);
  EXPECT_TRUE(window().CellVoltageChartControl->xAxis->tickLabels());
  window().chkShowChartLegends->setChecked(true);
  EXPECT_TRUE(window().PackVoltageChartControl->legend->visible());
  EXPECT_EQ(window().PackVoltageChartControl->legend->itemCount(), 2);
  EXPECT_EQ(window().CellVoltageChartControl->yAxis->numberPrecision(), 2);
  EXPECT_EQ(window().PackVoltageChartControl->yAxis->numberPrecision(), 1);
  window().TabStrip1->setCurrentIndex(1);
  EXPECT_TRUE(window().fraChartPackVoltageToggles->isVisible());
  EXPECT_FALSE(window().fraChartCellVoltageToggles->isVisible());
}

}  // namespace
}  // namespace qvm::test

namespace qvm::test {
namespace {

TEST(ChartWindowPicture, DrawsAFewHundredSamplesOfTheChain) {
  ChartWindowRig rig("daisy:52400x3", kModeDaisyChain);
  rig.window->show();
  rig.window->sliderZoomTime->setValue(5);
  rig.window->sliderZoomCellVoltage->setValue(4);
  rig.ReadSamples(300, 2000);
  rig.window->cmdChartAutoZoom->click();
  QCoreApplication::processEvents();
  const QPixmap picture = rig.window->grab();
  ASSERT_EQ(picture.size(), QSize(1360, 900));
  // The twelve cell lines of two devices leave many coloured pixels in the cell chart.
  const QImage cells = rig.window->CellVoltageChartControl->grab().toImage();
  int coloured = 0;
  for (int y = 0; y < cells.height(); ++y) {
    for (int x = 0; x < cells.width(); ++x) {
      const QColor pixel = cells.pixelColor(x, y);
      coloured += pixel.saturation() > 80 ? 1 : 0;
    }
  }
  EXPECT_GT(coloured, 2000);
  EXPECT_TRUE(picture.save(QString::fromStdString(
      (std::filesystem::temp_directory_path() / "qvm-chart-window.png").string())));
}

}  // namespace
}  // namespace qvm::test
