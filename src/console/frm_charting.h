// SPDX-License-Identifier: MIT
#pragma once
#include <QWidget>
#include <array>

#include "protocol/session.h"
#include "records/chart_store.h"
#include "records/record_channel.h"
#include "ui/chart_plot.h"
#include "ui/chart_zoom.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QTabWidget;

namespace qvm {

inline constexpr int kChartShowBoxes = 38;
inline constexpr int kChartFirstPackBox = 24;
inline constexpr int kChartBoxGroups = 3;
inline constexpr int kChartSelectors = 3;

// The chart window: the store's five time charts stacked, the per-series show boxes, the
// device selectors, zoom sliders, rolling time window, "Auto Fit", "Clear Charts" and the CSV
// export. It follows the store through its hooks for as long as it lives.
class FrmCharting : public QWidget, public ChartWindowHooks {
  Q_OBJECT
 public:
  FrmCharting(Session& session, ChartStore& store, RecordChannel& exportChannel,
              QWidget* parent = nullptr);
  ~FrmCharting() override;
  FrmCharting(const FrmCharting&) = delete;
  FrmCharting& operator=(const FrmCharting&) = delete;

  // While set, closing the window only hides it; the console sets it while it runs.
  bool ChartWindowPinned = false;

  ChartPlot* Chart(ChartKind kind) const { return charts_[static_cast<std::size_t>(kind)]; }
  QSlider* ZoomSlider(ZoomAxis axis) const { return sliders_[static_cast<std::size_t>(axis)]; }
  QLabel* ZoomLabelOf(ZoomAxis axis) const { return sliderLabels_[static_cast<std::size_t>(axis)]; }

  // Re-applies the zoom of every chart for the newest sample.
  void ApplyZoom();
  // Fills the device selectors from the chain and shows the selected devices.
  void FillDeviceLists();

  void ShowStartingTime(const std::string& longTime) override;
  void SampleDrawn() override;
  void EnableSampleButtons() override;
  void SeriesRebuilt() override;
  void OldestDropped(int count) override;

  ChartPlot* CellVoltageChartControl;
  ChartPlot* PackVoltageChartControl;
  ChartPlot* TempChartControl;
  ChartPlot* ETVoltChartControl;
  ChartPlot* FaultStatusChartControl;
  std::array<QCheckBox*, kChartShowBoxes> chkChartShowSeries{};
  std::array<QPushButton*, kChartBoxGroups> cmbChartShowAll{};
  std::array<QPushButton*, kChartBoxGroups> cmbChartShowNone{};
  std::array<QComboBox*, kChartSelectors> cboChartCellSelector{};
  QTabWidget* TabStrip1;
  QWidget* fraChartCellVoltageToggles;
  QWidget* fraChartPackVoltageToggles;
  QSlider* sliderZoomCellVoltage;
  QSlider* sliderZoomPackVoltage;
  QSlider* sliderZoomITemp;
  QSlider* sliderZoomETemp;
  QSlider* sliderZoomTime;
  QCheckBox* chkRollChart;
  QCheckBox* chkShowChartAxisTitles;
  QCheckBox* chkShowChartLegends;
  QCheckBox* chkShowChartXAxisLabelsAll;
  QCheckBox* chkShowITChart;
  QCheckBox* chkShowETChart;
  QPushButton* cmdChartAutoZoom;
  QPushButton* cmbClearChart;
  QPushButton* cmdChartExportCsv;
  QPushButton* cmdHideChart;
  QLabel* lblStartingTime;
  QLabel* lblQVMDevice;
  // Why a value zoom moved its axis, or why it shows no trace.
  QLabel* lblZoomNote;

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* BuildCharts();
  QWidget* BuildControls();
  QWidget* BuildCellToggles();
  QWidget* BuildPackToggles();
  QWidget* BuildZoom();
  QWidget* BuildDisplayOptions();
  QWidget* BuildButtons();

  void UpdateCaptions();
  void RefreshCharts();
  void SyncShowBoxes();
  void ShowSeriesBox(int box, bool shown);
  void SetSeriesShown(int box, bool shown);
  void ShowGroup(int group, bool shown);
  void SelectDevice(int slot, int entry);
  void ApplyDisplayOptions();
  // After a value zoom that leaves every trace outside the view: centres on the nearest drawn
  // value, or says why nothing shows.
  void KeepTracesInView(ZoomAxis zoom);
  void AutoFit();
  void ClearCharts();
  void ExportChart();
  bool EvbConnected() const { return session_.bridge.EvbConnected; }

  Session& session_;
  ChartStore& store_;
  RecordChannel& exportChannel_;
  std::array<ChartPlot*, kChartKinds> charts_{};
  std::array<QSlider*, kZoomAxes> sliders_{};
  std::array<QLabel*, kZoomAxes> sliderLabels_{};
  std::array<QLabel*, 2> cellGroupTitles_{};
  double newestMinutes_ = 0;
  bool syncing_ = false;
};

}  // namespace qvm
