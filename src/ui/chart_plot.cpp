// SPDX-License-Identifier: MIT
#include "ui/chart_plot.h"

#include <algorithm>
#include <array>

namespace qvm {

namespace {

// Colours of series that bring none of their own.
constexpr std::array<QRgb, 8> kPalette = {0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e,
                                          0x9467bd, 0x8c564b, 0x17becf, 0xe377c2};

// Space for the value axis labels and title, the same on every chart so that the time axes
// line up.
constexpr int kValueAxisMargin = 72;
constexpr int kLegendRows = 6;

}  // namespace

ChartPlot::ChartPlot(const ChartStore& store, ChartKind kind, QWidget* parent)
    : QCustomPlot(parent), store_(store), series_(store.Series().Chart(kind)) {
  setNoAntialiasingOnDrag(true);
  setAntialiasedElements(QCP::aeNone);
  setNotAntialiasedElements(QCP::aeAll);
  setPlottingHints(QCP::phCacheLabels);
  // One paint buffer for all layers: nothing draws on the overlay, and a redraw of the data
  // alone would cost a buffer of the whole plot for the data and another for what lies above.
  layer("overlay")->setMode(QCPLayer::lmLogical);
  axisRect()->setAutoMargins(QCP::msTop | QCP::msBottom | QCP::msRight);
  axisRect()->setMargins(QMargins(kValueAxisMargin, 0, 0, 0));
  axisRect()->insetLayout()->take(legend);
  legend->setVisible(false);
  legend->setFillOrder(QCPLayoutGrid::foRowsFirst);
  legend->setWrap(kLegendRows);
  legend->setRowSpacing(0);
  QFont small = font();
  small.setPointSizeF(std::max(6.0, small.pointSizeF() - 2));
  legend->setFont(small);
  legend->setSizeConstraintRect(QCPLayoutElement::scrOuterRect);
  xAxis->setTickLabelFont(small);
  yAxis->setTickLabelFont(small);
  xAxis->setLabelFont(small);
  yAxis->setLabelFont(small);
  connect(this, &QCustomPlot::afterLayout, this, [this] { UpdateData(); });
  RebuildGraphs();
}

void ChartPlot::RebuildGraphs() {
  clearGraphs();
  decimations_.assign(series_.size(), SeriesDecimation{});
  for (std::size_t i = 0; i < series_.size(); ++i) {
    const ChartSeries& series = series_[i];
    QCPGraph* graph = addGraph();
    graph->setName(QString::fromStdString(series.name));
    graph->setAdaptiveSampling(false);
    const QColor colour =
        series.colour ? QColor(series.colour->red, series.colour->green, series.colour->blue)
                      : QColor(kPalette[i % kPalette.size()]);
    // A cosmetic pen of one pixel takes the fast line drawing path.
    graph->setPen(QPen(colour, 0));
    graph->setVisible(series.visible);
    if (!series.visible) graph->removeFromLegend();
  }
  stale_ = true;
  Refresh();
}

void ChartPlot::Refresh() {
  if (!isVisible()) {
    stale_ = true;
    return;
  }
  const bool axesChanged = SyncVisibility() || stale_ || size() != drawnSize_ ||
                           TimeRange() != drawnTime_ || ValueRange() != drawnValue_;
  const bool dataChanged = UpdateData();
  stale_ = false;
  if (axesChanged) {
    drawnSize_ = size();
    drawnTime_ = TimeRange();
    drawnValue_ = ValueRange();
  }
  if (axesChanged || dataChanged) replot(rpQueuedReplot);
}

bool ChartPlot::SyncVisibility() {
  bool changed = false;
  for (std::size_t i = 0; i < series_.size() && i < decimations_.size(); ++i) {
    QCPGraph* shown = graph(static_cast<int>(i));
    if (shown->visible() == series_[i].visible) continue;
    shown->setVisible(series_[i].visible);
    if (series_[i].visible) {
      shown->addToLegend();
    } else {
      shown->removeFromLegend();
    }
    changed = true;
  }
  return changed;
}

bool ChartPlot::UpdateData() {
  const int columns = std::max(1, axisRect()->width());
  const AxisRange time = TimeRange();
  std::vector<bool> changed(series_.size(), false);
  SampleColumnEnds ends(store_.MinutesColumn(), time.lower, time.upper, columns);
  for (std::size_t i = 0; i < series_.size() && i < decimations_.size(); ++i) {
    if (!series_[i].visible) continue;
    changed[i] = decimations_[i].Update(ChartSeriesPoints(store_, series_[i]), ends);
  }
  QVector<QCPGraphData> data;
  for (std::size_t i = 0; i < changed.size(); ++i) {
    if (!changed[i]) continue;
    const std::vector<PlotPoint>& points = decimations_[i].Points();
    data.resize(static_cast<qsizetype>(points.size()));
    for (std::size_t k = 0; k < points.size(); ++k) {
      data[static_cast<qsizetype>(k)] = QCPGraphData(points[k].x, points[k].y);
    }
    graph(static_cast<int>(i))->data()->set(data, true);
  }
  return std::find(changed.begin(), changed.end(), true) != changed.end();
}

void ChartPlot::showEvent(QShowEvent* event) {
  QCustomPlot::showEvent(event);
  if (stale_) Refresh();
}

void ChartPlot::SetAxisTitles(const std::string& timeTitle, const std::string& valueTitle) {
  timeTitle_ = QString::fromStdString(timeTitle);
  valueTitle_ = QString::fromStdString(valueTitle);
  UpdateLabels();
}

void ChartPlot::SetValueLabelFormat(const std::string& format) {
  const bool fixed = format.size() > 3 && format.rfind("%0.", 0) == 0 && format.back() == 'f';
  if (!fixed) {
    yAxis->setNumberFormat("gb");
    yAxis->setNumberPrecision(6);
    return;
  }
  yAxis->setNumberFormat("f");
  yAxis->setNumberPrecision(std::stoi(format.substr(3, format.size() - 4)));
}

void ChartPlot::SetAxisTitlesShown(bool shown) {
  titlesShown_ = shown;
  UpdateLabels();
}

void ChartPlot::SetTimeLabelsShown(bool shown) {
  timeLabelsShown_ = shown;
  xAxis->setTickLabels(shown);
  UpdateLabels();
}

void ChartPlot::SetLegendShown(bool shown) {
  if (shown == legendShown_) return;
  legendShown_ = shown;
  if (shown) {
    plotLayout()->addElement(0, 1, legend);
    plotLayout()->setColumnStretchFactor(1, 0.001);
  } else {
    plotLayout()->take(legend);
    plotLayout()->simplify();
  }
  legend->setVisible(shown);
  stale_ = true;
  Refresh();
}

int ChartPlot::LegendWidthNeeded() {
  if (!legendShown_) return 0;
  if (SyncVisibility()) stale_ = true;
  return legend->minimumOuterSizeHint().width();
}

void ChartPlot::SetLegendWidth(int width) {
  if (width == legendWidth_) return;
  legendWidth_ = width;
  legend->setMinimumSize(width, 0);
  legend->setMaximumSize(width, QWIDGETSIZE_MAX);
  stale_ = true;
}

void ChartPlot::UpdateLabels() {
  xAxis->setLabel(titlesShown_ && timeLabelsShown_ ? timeTitle_ : QString());
  yAxis->setLabel(titlesShown_ ? valueTitle_ : QString());
  stale_ = true;
  Refresh();
}

AxisRange ChartPlot::TimeRange() const {
  return {xAxis->range().lower, xAxis->range().upper};
}

void ChartPlot::SetTimeRange(AxisRange range) {
  xAxis->setRange(range.lower, range.upper);
}

AxisRange ChartPlot::ValueRange() const {
  return {yAxis->range().lower, yAxis->range().upper};
}

void ChartPlot::SetValueRange(AxisRange range) {
  yAxis->setRange(range.lower, range.upper);
}

int ChartPlot::DrawnPointCount(int index) const {
  return Graph(index)->dataCount();
}

bool ChartPlot::DrawnVisible(int index) const {
  return Graph(index)->visible();
}

QCPGraph* ChartPlot::Graph(int index) const {
  return graph(index);
}

DrawnTraces ChartPlot::ShownTraces() const {
  DrawnTraces traces;
  for (std::size_t i = 0; i < series_.size() && i < decimations_.size(); ++i) {
    if (series_[i].visible) traces.emplace_back(decimations_[i].Points());
  }
  return traces;
}

}  // namespace qvm
