// SPDX-License-Identifier: MIT
#include "console/frm_charting.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <optional>

#include "core/error_trap.h"
#include "records/chart_export.h"
#include "records/local_time.h"

namespace qvm {

namespace {

constexpr int kGroupBoxes[kChartBoxGroups][2] = {{0, 12}, {12, 24}, {24, 38}};
// Devices a selector offers: one pack series per device number.
constexpr int kSelectableDevices = 14;
constexpr int kControlsWidth = 330;

struct ValueAxis {
  ZoomAxis zoom;
  ChartKind chart;
  std::optional<double> floor;
  AxisRange start;
  int startPosition;
};

// The value axes the sliders zoom, with the lowest value each may show.
constexpr std::array<ValueAxis, 4> kValueAxes = {{
    {ZoomAxis::CellVoltage, ChartKind::Cells, 0.0, {0, 5}, 2},
    {ZoomAxis::PackVoltage, ChartKind::Packs, -5.0, {0, 80}, 1},
    {ZoomAxis::ITemp, ChartKind::IcTemp, -50.0, {-50, 200}, 1},
    {ZoomAxis::ETemp, ChartKind::EtVolts, 0.0, {0, 2.5}, 1},
}};
constexpr int kTimeStartPosition = 4;
constexpr AxisRange kFaultAxis = {0, 1.6};

const ValueRange& ObservedRange(const ChartRanges& ranges, ChartKind kind) {
  switch (kind) {
    case ChartKind::Packs:
      return ranges.packs;
    case ChartKind::IcTemp:
      return ranges.icTemp;
    case ChartKind::EtVolts:
      return ranges.etVolts;
    default:
      return ranges.cells;
  }
}

QPushButton* Button(const char* name, const QString& text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  return button;
}

QCheckBox* CheckBox(const char* name, const QString& text, bool checked, QWidget* parent) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(name);
  box->setChecked(checked);
  return box;
}

}  // namespace

FrmCharting::FrmCharting(Session& session, ChartStore& store, RecordChannel& exportChannel,
                         QWidget* parent)
    : QWidget(parent, Qt::Tool), session_(session), store_(store), exportChannel_(exportChannel) {
  setObjectName("frmCharting");
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(BuildCharts(), 1);
  layout->addWidget(BuildControls());
  store_.SetHooks(this);
  for (const ValueAxis& axis : kValueAxes) Chart(axis.chart)->SetValueRange(axis.start);
  FaultStatusChartControl->SetValueRange(kFaultAxis);
  for (ChartPlot* chart : charts_) chart->SetTimeRange(TimeAxisRange({}, 0, 1, false));
  ApplyDisplayOptions();
  SyncShowBoxes();
  FillDeviceLists();
  UpdateCaptions();
  for (QPushButton* button : {cmdChartAutoZoom, cmbClearChart, cmdChartExportCsv}) {
    button->setEnabled(store_.ChartSampleIndex() > 0 && store_.ChartStarted());
  }
  // A window opened on a running store draws what it holds.
  if (store_.ChartStarted() && store_.ChartSampleIndex() > 0) {
    newestMinutes_ = store_.ElapsedMinutes(store_.ChartSampleIndex() - 1);
    ApplyZoom();
  }
  resize(1340, 880);
}

FrmCharting::~FrmCharting() {
  store_.SetHooks(nullptr);
}

QWidget* FrmCharting::BuildCharts() {
  auto* area = new QWidget(this);
  auto* layout = new QVBoxLayout(area);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  const std::array<const char*, kChartKinds> names = {
      "CellVoltageChartControl", "PackVoltageChartControl", "TempChartControl",
      "ETVoltChartControl", "FaultStatusChartControl"};
  const std::array<int, kChartKinds> stretch = {4, 3, 2, 3, 2};
  for (int k = 0; k < kChartKinds; ++k) {
    const auto kind = static_cast<ChartKind>(k);
    auto* chart = new ChartPlot(store_, kind, area);
    chart->setObjectName(names[static_cast<std::size_t>(k)]);
    const ChartAxisText& text = kChartAxisTexts[static_cast<std::size_t>(k)];
    chart->SetAxisTitles(kElapsedTimeAxisTitle, text.valueTitle);
    chart->SetValueLabelFormat(text.labelFormat);
    chart->setMinimumHeight(90);
    layout->addWidget(chart, stretch[static_cast<std::size_t>(k)]);
    charts_[static_cast<std::size_t>(k)] = chart;
  }
  CellVoltageChartControl = Chart(ChartKind::Cells);
  PackVoltageChartControl = Chart(ChartKind::Packs);
  TempChartControl = Chart(ChartKind::IcTemp);
  ETVoltChartControl = Chart(ChartKind::EtVolts);
  FaultStatusChartControl = Chart(ChartKind::Faults);
  return area;
}

QWidget* FrmCharting::BuildControls() {
  auto* panel = new QWidget(this);
  panel->setFixedWidth(kControlsWidth);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);

  lblQVMDevice = new QLabel(panel);
  lblQVMDevice->setObjectName("lblQVMDevice");
  QFont bold = lblQVMDevice->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() + 2);
  lblQVMDevice->setFont(bold);
  layout->addWidget(lblQVMDevice);
  auto* start = new QHBoxLayout;
  start->addWidget(new QLabel("DATA START TIME: ", panel));
  lblStartingTime = new QLabel(panel);
  lblStartingTime->setObjectName("lblStartingTime");
  start->addWidget(lblStartingTime, 1);
  layout->addLayout(start);

  auto* devices = new QGroupBox("Charted Devices", panel);
  auto* deviceGrid = new QGridLayout(devices);
  const std::array<const char*, kChartSelectors> selectorTexts = {
      "Pack A (cells, temperatures, faults)", "Pack B (daisy chain)", "Pack voltage (single)"};
  for (int slot = 0; slot < kChartSelectors; ++slot) {
    auto* combo = new QComboBox(devices);
    combo->setObjectName(QString("cboChartCellSelector_%1").arg(slot));
    deviceGrid->addWidget(new QLabel(selectorTexts[static_cast<std::size_t>(slot)], devices), slot,
                          0);
    deviceGrid->addWidget(combo, slot, 1);
    connect(combo, &QComboBox::currentIndexChanged, this,
            [this, slot](int entry) { SelectDevice(slot, entry); });
    cboChartCellSelector[static_cast<std::size_t>(slot)] = combo;
  }
  layout->addWidget(devices);

  TabStrip1 = new QTabWidget(panel);
  TabStrip1->setObjectName("TabStrip1");
  fraChartCellVoltageToggles = BuildCellToggles();
  fraChartPackVoltageToggles = BuildPackToggles();
  TabStrip1->addTab(fraChartCellVoltageToggles, "Cell Voltages");
  TabStrip1->addTab(fraChartPackVoltageToggles, "Pack Voltages");
  layout->addWidget(TabStrip1);
  for (int group = 0; group < kChartBoxGroups; ++group) {
    connect(cmbChartShowAll[static_cast<std::size_t>(group)], &QPushButton::clicked, this,
            [this, group] { ShowGroup(group, true); });
    connect(cmbChartShowNone[static_cast<std::size_t>(group)], &QPushButton::clicked, this,
            [this, group] { ShowGroup(group, false); });
  }
  for (int box = 0; box < kChartShowBoxes; ++box) {
    connect(chkChartShowSeries[static_cast<std::size_t>(box)], &QCheckBox::toggled, this,
            [this, box](bool shown) { ShowSeriesBox(box, shown); });
  }

  layout->addWidget(BuildZoom());
  layout->addWidget(BuildDisplayOptions());
  layout->addStretch(1);
  layout->addWidget(BuildButtons());
  return panel;
}

QWidget* FrmCharting::BuildCellToggles() {
  auto* frame = new QWidget;
  frame->setObjectName("fraChartCellVoltageToggles");
  auto* grid = new QGridLayout(frame);
  grid->setVerticalSpacing(1);
  for (int slot = 0; slot < 2; ++slot) {
    auto* title = new QLabel(frame);
    title->setAlignment(Qt::AlignCenter);
    grid->addWidget(title, 0, slot * 2, 1, 2);
    cellGroupTitles_[static_cast<std::size_t>(slot)] = title;
    for (int cell = 0; cell < kChartCells; ++cell) {
      const int box = slot * kChartCells + cell;
      auto* check = CheckBox("", QString("CELL %1").arg(cell + 1), true, frame);
      check->setObjectName(QString("chkChartShowSeries_%1").arg(box));
      grid->addWidget(check, 1 + cell, slot * 2, 1, 2);
      chkChartShowSeries[static_cast<std::size_t>(box)] = check;
    }
    auto* all = Button("", "All", frame);
    auto* none = Button("", "None", frame);
    all->setObjectName(QString("cmbChartShowAll_%1").arg(slot));
    none->setObjectName(QString("cmbChartShowNone_%1").arg(slot));
    grid->addWidget(all, 1 + kChartCells, slot * 2);
    grid->addWidget(none, 1 + kChartCells, slot * 2 + 1);
    cmbChartShowAll[static_cast<std::size_t>(slot)] = all;
    cmbChartShowNone[static_cast<std::size_t>(slot)] = none;
  }
  return frame;
}

QWidget* FrmCharting::BuildPackToggles() {
  auto* frame = new QWidget;
  frame->setObjectName("fraChartPackVoltageToggles");
  auto* grid = new QGridLayout(frame);
  grid->setVerticalSpacing(1);
  constexpr int kRows = 7;
  for (int pack = 0; pack < kChartShowBoxes - kChartFirstPackBox; ++pack) {
    const int box = kChartFirstPackBox + pack;
    auto* check = CheckBox("", QString("PACK %1").arg(pack + 1), false, frame);
    check->setObjectName(QString("chkChartShowSeries_%1").arg(box));
    grid->addWidget(check, pack % kRows, pack / kRows);
    chkChartShowSeries[static_cast<std::size_t>(box)] = check;
  }
  auto* all = Button("cmbChartShowAll_2", "All", frame);
  auto* none = Button("cmbChartShowNone_2", "None", frame);
  grid->addWidget(all, kRows, 0);
  grid->addWidget(none, kRows, 1);
  grid->setRowStretch(kRows + 1, 1);
  cmbChartShowAll[2] = all;
  cmbChartShowNone[2] = none;
  return frame;
}

QWidget* FrmCharting::BuildZoom() {
  auto* group = new QGroupBox("Zoom", this);
  auto* grid = new QGridLayout(group);
  grid->setVerticalSpacing(2);
  const std::array<const char*, kZoomAxes> names = {"sliderZoomCellVoltage",
                                                    "sliderZoomPackVoltage", "sliderZoomITemp",
                                                    "sliderZoomETemp", "sliderZoomTime"};
  const std::array<const char*, kZoomAxes> texts = {"Cells", "Packs", "IC Temp", "ET Volt.",
                                                    "Time"};
  std::array<int, kZoomAxes> start{};
  for (const ValueAxis& axis : kValueAxes) {
    start[static_cast<std::size_t>(axis.zoom)] = axis.startPosition;
  }
  start[static_cast<std::size_t>(ZoomAxis::Time)] = kTimeStartPosition;
  for (int a = 0; a < kZoomAxes; ++a) {
    const auto axis = static_cast<ZoomAxis>(a);
    const auto at = static_cast<std::size_t>(a);
    auto* slider = new QSlider(Qt::Horizontal, group);
    slider->setObjectName(names[at]);
    slider->setRange(kZoomFirstPosition, kZoomLastPosition);
    slider->setPageStep(1);
    slider->setValue(start[at]);
    auto* label = new QLabel(QString::fromStdString(ZoomLabel(axis, start[at])), group);
    label->setMinimumWidth(60);
    grid->addWidget(new QLabel(texts[at], group), a, 0);
    grid->addWidget(slider, a, 1);
    grid->addWidget(label, a, 2);
    sliders_[at] = slider;
    sliderLabels_[at] = label;
    connect(slider, &QSlider::valueChanged, this, [this, axis, label](int position) {
      label->setText(QString::fromStdString(ZoomLabel(axis, position)));
      if (!store_.ChartStarted()) return;
      ApplyZoom();
      if (axis != ZoomAxis::Time) KeepTracesInView(axis);
    });
  }
  lblZoomNote = new QLabel(group);
  lblZoomNote->setObjectName("lblZoomNote");
  lblZoomNote->setWordWrap(true);
  grid->addWidget(lblZoomNote, kZoomAxes, 0, 1, 3);
  sliderZoomCellVoltage = sliders_[0];
  sliderZoomPackVoltage = sliders_[1];
  sliderZoomITemp = sliders_[2];
  sliderZoomETemp = sliders_[3];
  sliderZoomTime = sliders_[4];
  return group;
}

QWidget* FrmCharting::BuildDisplayOptions() {
  auto* group = new QGroupBox("Display", this);
  auto* grid = new QGridLayout(group);
  grid->setVerticalSpacing(2);
  chkRollChart = CheckBox("chkRollChart", "Roll Chart Mode", false, group);
  chkShowChartAxisTitles = CheckBox("chkShowChartAxisTitles", "Show Axis Titles", true, group);
  chkShowChartLegends = CheckBox("chkShowChartLegends", "Show Legends", false, group);
  chkShowChartXAxisLabelsAll =
      CheckBox("chkShowChartXAxisLabelsAll", "Show All Axis Labels", false, group);
  chkShowITChart = CheckBox("chkShowITChart", "Show IC Temp Chart", true, group);
  chkShowETChart = CheckBox("chkShowETChart", "Show ET Volt. Chart", true, group);
  grid->addWidget(chkRollChart, 0, 0);
  grid->addWidget(chkShowChartAxisTitles, 0, 1);
  grid->addWidget(chkShowChartLegends, 1, 0);
  grid->addWidget(chkShowChartXAxisLabelsAll, 1, 1);
  grid->addWidget(chkShowITChart, 2, 0);
  grid->addWidget(chkShowETChart, 2, 1);
  connect(chkRollChart, &QCheckBox::toggled, this, [this] {
    if (store_.ChartStarted()) ApplyZoom();
  });
  for (QCheckBox* box : {chkShowChartAxisTitles, chkShowChartLegends, chkShowChartXAxisLabelsAll,
                         chkShowITChart, chkShowETChart}) {
    connect(box, &QCheckBox::toggled, this, [this] { ApplyDisplayOptions(); });
  }
  return group;
}

QWidget* FrmCharting::BuildButtons() {
  auto* area = new QWidget(this);
  auto* grid = new QGridLayout(area);
  grid->setContentsMargins(0, 0, 0, 0);
  cmdChartAutoZoom = Button("cmdChartAutoZoom", "Auto Fit", area);
  cmbClearChart = Button("cmbClearChart", "Clear Charts", area);
  cmdChartExportCsv = Button("cmdChartExportCsv", "Export...", area);
  cmdHideChart = Button("cmdHideChart", "Close Chart Window", area);
  grid->addWidget(cmdChartAutoZoom, 0, 0);
  grid->addWidget(cmbClearChart, 0, 1);
  grid->addWidget(cmdChartExportCsv, 1, 0);
  grid->addWidget(cmdHideChart, 1, 1);
  connect(cmdChartAutoZoom, &QPushButton::clicked, this, [this] { AutoFit(); });
  connect(cmbClearChart, &QPushButton::clicked, this, [this] { ClearCharts(); });
  connect(cmdChartExportCsv, &QPushButton::clicked, this, [this] { ExportChart(); });
  connect(cmdHideChart, &QPushButton::clicked, this, &QWidget::hide);
  return area;
}

bool FrmCharting::event(QEvent* event) {
  if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) {
    UpdateCaptions();
    FillDeviceLists();
  }
  return QWidget::event(event);
}

void FrmCharting::closeEvent(QCloseEvent* event) {
  if (ChartWindowPinned) {
    event->ignore();
    hide();
    return;
  }
  QWidget::closeEvent(event);
}

void FrmCharting::UpdateCaptions() {
  const SharedState& state = session_.state;
  setWindowTitle(QString::fromStdString(state.PartName52400 + "/" + state.PartName52401 +
                                        " Eval Chart Window"));
  lblQVMDevice->setText(QString::fromStdString(state.PartName52400 + "Eval"));
  // A window opened after the first sample still shows when the data started.
  if (store_.ChartStarted()) ShowStartingTime(FormatLongTime(store_.ChartStartTime()));
}

void FrmCharting::FillDeviceLists() {
  // The chain of the samples charted: the console's, or a recording's.
  const SharedState& state = store_.State();
  const int count =
      state.DaisyChainMode ? std::clamp<int>(state.DeviceCount52400, 1, kSelectableDevices) : 1;
  syncing_ = true;
  for (int slot = 0; slot < kChartSelectors; ++slot) {
    QComboBox* combo = cboChartCellSelector[static_cast<std::size_t>(slot)];
    combo->clear();
    for (int d = 1; d <= count; ++d) combo->addItem(QString::number(d));
    const int selected = store_.SelectedPack(slot) - 1;
    combo->setCurrentIndex(selected < count ? selected : -1);
  }
  syncing_ = false;
  cboChartCellSelector[1]->setEnabled(state.DaisyChainMode);
  cboChartCellSelector[2]->setEnabled(!state.DaisyChainMode);
  SyncShowBoxes();
}

void FrmCharting::SelectDevice(int slot, int entry) {
  if (syncing_ || entry < 0) return;
  store_.HandlePackSelectCombobox(slot, entry, EvbConnected());
}

void FrmCharting::SyncShowBoxes() {
  const auto& series = store_.Series();
  syncing_ = true;
  for (int box = 0; box < kChartShowBoxes; ++box) {
    const bool cell = box < kChartFirstPackBox;
    const ChartKind kind = cell ? ChartKind::Cells : ChartKind::Packs;
    const int index = cell ? box : box - kChartFirstPackBox;
    chkChartShowSeries[static_cast<std::size_t>(box)]->setChecked(
        series.Series(kind, index).visible);
  }
  syncing_ = false;
  const bool daisy = store_.State().DaisyChainMode;
  for (int box = kChartCells; box < 2 * kChartCells; ++box) {
    chkChartShowSeries[static_cast<std::size_t>(box)]->setEnabled(daisy);
  }
  cmbChartShowAll[1]->setEnabled(daisy);
  cmbChartShowNone[1]->setEnabled(daisy);
  for (int slot = 0; slot < 2; ++slot) {
    cellGroupTitles_[static_cast<std::size_t>(slot)]->setText(
        QString("Device %1").arg(store_.SelectedPack(slot)));
  }
}

void FrmCharting::ShowSeriesBox(int box, bool shown) {
  if (syncing_) return;
  SetSeriesShown(box, shown);
  RefreshCharts();
}

void FrmCharting::SetSeriesShown(int box, bool shown) {
  const bool cell = box < kChartFirstPackBox;
  const ChartKind kind = cell ? ChartKind::Cells : ChartKind::Packs;
  store_.Series().Series(kind, cell ? box : box - kChartFirstPackBox).visible = shown;
}

void FrmCharting::ShowGroup(int group, bool shown) {
  const auto [first, last] = kGroupBoxes[group];
  syncing_ = true;
  for (int box = first; box < last; ++box) {
    QCheckBox* check = chkChartShowSeries[static_cast<std::size_t>(box)];
    if (!check->isEnabled()) continue;
    check->setChecked(shown);
    SetSeriesShown(box, shown);
  }
  syncing_ = false;
  RefreshCharts();
}

void FrmCharting::ApplyDisplayOptions() {
  TempChartControl->setVisible(chkShowITChart->isChecked());
  ETVoltChartControl->setVisible(chkShowETChart->isChecked());
  for (ChartPlot* chart : charts_) {
    chart->SetAxisTitlesShown(chkShowChartAxisTitles->isChecked());
    chart->SetLegendShown(chkShowChartLegends->isChecked());
    chart->SetTimeLabelsShown(chkShowChartXAxisLabelsAll->isChecked() ||
                              chart == FaultStatusChartControl);
  }
  RefreshCharts();
}

void FrmCharting::ApplyZoom() {
  const double span = ZoomSpan(ZoomAxis::Time, sliderZoomTime->value());
  const AxisRange time = TimeAxisRange(CellVoltageChartControl->TimeRange(), newestMinutes_, span,
                                       chkRollChart->isChecked());
  for (ChartPlot* chart : charts_) chart->SetTimeRange(time);
  for (const ValueAxis& axis : kValueAxes) {
    ChartPlot* chart = Chart(axis.chart);
    chart->SetValueRange(ValueAxisRange(
        chart->ValueRange(), ZoomSpan(axis.zoom, ZoomSlider(axis.zoom)->value()), axis.floor));
  }
  RefreshCharts();
}

void FrmCharting::RefreshCharts() {
  // Every chart gets the legend column of the widest, so the time axes stay one above another.
  int legendWidth = 0;
  for (ChartPlot* chart : charts_) {
    if (!chart->isHidden()) legendWidth = std::max(legendWidth, chart->LegendWidthNeeded());
  }
  for (ChartPlot* chart : charts_) {
    chart->SetLegendWidth(legendWidth);
    chart->Refresh();
  }
}

void FrmCharting::KeepTracesInView(ZoomAxis zoom) {
  const auto axis = std::find_if(kValueAxes.begin(), kValueAxes.end(),
                                 [zoom](const ValueAxis& value) { return value.zoom == zoom; });
  ChartPlot* chart = Chart(axis->chart);
  if (!chart->isVisible()) return;
  const QString title =
      QString::fromUtf8(kChartAxisTexts[static_cast<std::size_t>(axis->chart)].valueTitle);
  const DrawnTraces traces = chart->ShownTraces();
  const AxisRange view = chart->ValueRange();
  if (TracesReach(traces, chart->TimeRange(), view)) {
    lblZoomNote->clear();
    return;
  }
  const std::optional<double> nearest =
      NearestDrawnValue(traces, chart->TimeRange(), view.Centre());
  if (!nearest) {
    lblZoomNote->setText(title + ": nothing is drawn in this time window.");
    return;
  }
  const AxisRange centred = ValueAxisRange(CentredOn(view, *nearest), view.Span(), axis->floor);
  chart->SetValueRange(centred);
  chart->Refresh();
  const QString value = QString::number(*nearest, 'g', 6);
  if (!TracesReach(traces, chart->TimeRange(), centred)) {
    lblZoomNote->setText(QString("%1: the nearest value, %2, lies below the axis floor, %3.")
                             .arg(title, value, QString::number(centred.lower, 'g', 6)));
    return;
  }
  lblZoomNote->setText(QString("%1: no trace between %2 and %3; centred on the nearest value, %4.")
                           .arg(title, QString::number(view.lower, 'g', 6),
                                QString::number(view.upper, 'g', 6), value));
}

void FrmCharting::AutoFit() {
  cmdChartAutoZoom->setEnabled(false);
  for (const ValueAxis& axis : kValueAxes) {
    ChartPlot* chart = Chart(axis.chart);
    const ValueRange& observed = ObservedRange(store_.ChartRange(), axis.chart);
    chart->SetValueRange(CentredOn(chart->ValueRange(), (observed.minimum + observed.maximum) / 2));
  }
  RefreshCharts();
}

void FrmCharting::ClearCharts() {
  for (QPushButton* button : {cmbClearChart, cmdChartAutoZoom, cmdChartExportCsv}) {
    button->setEnabled(false);
  }
  store_.Initialize(true, EvbConnected());
}

void FrmCharting::ExportChart() {
  cmdChartExportCsv->setEnabled(false);
  try {
    ExportCSV(store_, exportChannel_, session_.host, session_.bridge.MessageTitle);
  } catch (const std::exception& error) {
    session_.host.ShowMessage(
        session_.bridge.MessageTitle,
        ErrorTrapMessage("modExportChartData.ExportCSV", kErrInvalidProcedureCall, error.what()));
  }
}

void FrmCharting::ShowStartingTime(const std::string& longTime) {
  lblStartingTime->setText(QString::fromStdString(longTime));
}

void FrmCharting::SampleDrawn() {
  newestMinutes_ = store_.ElapsedMinutes(store_.ChartSampleIndex());
  SyncShowBoxes();
  ApplyZoom();
}

void FrmCharting::EnableSampleButtons() {
  for (QPushButton* button : {cmbClearChart, cmdChartAutoZoom, cmdChartExportCsv}) {
    button->setEnabled(true);
  }
}

void FrmCharting::SeriesRebuilt() {
  if (!store_.ChartStarted()) {
    newestMinutes_ = 0;
    const double span = ZoomSpan(ZoomAxis::Time, sliderZoomTime->value());
    for (ChartPlot* chart : charts_) chart->SetTimeRange(TimeAxisRange({}, 0, span, false));
  }
  for (ChartPlot* chart : charts_) chart->RebuildGraphs();
  SyncShowBoxes();
  RefreshCharts();
}

void FrmCharting::OldestDropped(int count) {
  // The sample that caused the drop is drawn next and redraws the charts once for both.
  (void)count;
}

}  // namespace qvm
