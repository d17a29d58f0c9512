// SPDX-License-Identifier: MIT
#pragma once

#include <qcustomplot.h>

#include <string>
#include <vector>

#include "records/chart_series.h"
#include "records/chart_store.h"
#include "ui/chart_decimation.h"
#include "ui/chart_traces.h"
#include "ui/chart_zoom.h"

namespace qvm {

// One time chart over the series of one kind of a chart store, read from the store. Each shown
// series is drawn from at most a few points per pixel column, re-decimated only when its points,
// the time axis or the width changed (appended points only from the last column on); the plot is
// redrawn once, queued, when anything that shows changed.
class ChartPlot : public QCustomPlot {
  Q_OBJECT
 public:
  // `store` stays alive; its series are changed in place.
  ChartPlot(const ChartStore& store, ChartKind kind, QWidget* parent = nullptr);

  // One graph per series as the series are now: names, colours, visibility.
  void RebuildGraphs();
  // Brings the drawing up to date with the series and the axes; deferred while hidden.
  void Refresh();

  void SetAxisTitles(const std::string& timeTitle, const std::string& valueTitle);
  // "%0.2f" style: fixed with that many decimals; empty: the default format.
  void SetValueLabelFormat(const std::string& format);
  void SetAxisTitlesShown(bool shown);
  void SetTimeLabelsShown(bool shown);
  void SetLegendShown(bool shown);
  // The width the legend needs for the series shown now; 0 while it is hidden.
  int LegendWidthNeeded();
  // Gives the legend a column of exactly `width`, so that charts sharing it keep one time axis.
  void SetLegendWidth(int width);

  AxisRange TimeRange() const;
  void SetTimeRange(AxisRange range);
  AxisRange ValueRange() const;
  void SetValueRange(AxisRange range);

  // What is drawn now for series `index`.
  int DrawnPointCount(int index) const;
  bool DrawnVisible(int index) const;
  QCPGraph* Graph(int index) const;
  // The drawn points of the series shown, as of the last Refresh.
  DrawnTraces ShownTraces() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Shows and hides graphs and legend items as their series are; true when any changed.
  bool SyncVisibility();
  // Re-decimates what changed; true when any drawn data changed.
  bool UpdateData();
  void UpdateLabels();

  const ChartStore& store_;
  const std::vector<ChartSeries>& series_;
  std::vector<SeriesDecimation> decimations_;
  AxisRange drawnTime_;
  AxisRange drawnValue_;
  QSize drawnSize_;
  bool stale_ = true;
  bool titlesShown_ = true;
  bool timeLabelsShown_ = true;
  bool legendShown_ = false;
  int legendWidth_ = 0;
  QString timeTitle_;
  QString valueTitle_;
};

}  // namespace qvm
