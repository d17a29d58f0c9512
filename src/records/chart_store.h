// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/clock.h"
#include "model/register_image.h"
#include "model/register_model.h"
#include "model/shared_state.h"
#include "protocol/fault_recorder.h"
#include "records/chart_ring.h"
#include "records/chart_series.h"
#include "records/local_time.h"

namespace qvm {

inline constexpr int kChartCapacity = 32761;
inline constexpr int kChartFullIndex = kChartCapacity - 1;
inline constexpr int kChartDropCount = 600;
inline constexpr int kChartCells = 12;
inline constexpr int kChartEtInputs = 4;
inline constexpr int kChartDevices = kDevicesPerType;
inline constexpr int kRegFaultStatusWord = 0x84;
// A stored raw value that was never read: no 14-bit register holds it.
inline constexpr std::int16_t kChartNeverRead = INT16_MIN;

// A stored raw value of a chart of volts or temperatures, decoded as the chart draws it; NaN for
// a value never read, which draws nothing.
double DecodedChartValue(ChartKind kind, const RegisterModel& model, const SharedState& state,
                         std::int16_t raw);

// Running minimum and maximum of the drawn values of one chart.
struct ValueRange {
  double minimum;
  double maximum;
  void Include(double value) {
    if (value < minimum) minimum = value;
    if (value > maximum) maximum = value;
  }
};

struct ChartRanges {
  ValueRange cells{5.0, -5.0};
  ValueRange packs{80.0, 0.0};
  ValueRange icTemp{175.0, -50.0};
  ValueRange etVolts{2.5, 0.0};
};

// What the chart window does when the store changes; every hook does nothing by default.
class ChartWindowHooks {
 public:
  virtual ~ChartWindowHooks() = default;
  // The start of the time base, in the long time format, for the starting-time label.
  virtual void ShowStartingTime(const std::string& longTime) { (void)longTime; }
  // New points of the current sample were added: re-apply the zoom.
  virtual void SampleDrawn() {}
  // A sample was stored: enable "Clear Charts", "Auto Fit" and "Export...".
  virtual void EnableSampleButtons() {}
  // The series were rebuilt (names, colours, visibility; points emptied).
  virtual void SeriesRebuilt() {}
  // The oldest `count` samples and their points were dropped.
  virtual void OldestDropped(int count) { (void)count; }
};

// The history of acquired samples: raw register values of every device copied from the
// register image (kChartNeverRead for a value never read), elapsed minutes and the
// communication error flags of the sample's acquisition, in arrays of fixed capacity reserved
// up front and written only as samples arrive; when full the oldest 600 samples go in one
// block. Each quantity of each device is one column of consecutive samples, kept as a ring so
// that the drop moves no data. The chart series of the shown devices name the samples they
// draw; their points are read from these columns.
class ChartStore {
 public:
  ChartStore(const RegisterModel& model, const RegisterImage& image, const SharedState& state,
             Clock& clock, LocalTimeSource& time);
  ChartStore(const ChartStore&) = delete;
  ChartStore& operator=(const ChartStore&) = delete;

  void SetHooks(ChartWindowHooks* hooks) { hooks_ = hooks ? hooks : &noHooks_; }

  // Stores the values now in the register image as the next sample, with the communication
  // errors met while they were acquired, and draws it.
  void AddNewVoltageDataToChartArray(std::uint16_t comErrors = 0);
  // Rebuilds the series; `restart` also starts a new time base with the next sample, else the
  // samples kept are drawn for the devices now shown.
  void Initialize(bool restart, bool evbConnected);
  // Sets `SelectedPack`[slot] to `entry` + 1 and rebuilds the series when that changed it.
  // False for a slot or device out of range, which changes nothing.
  bool HandlePackSelectCombobox(int slot, int entry, bool evbConnected);

  int ChartSampleIndex() const { return sampleIndex_; }
  bool ChartStarted() const { return started_; }
  LocalTime ChartStartTime() const { return startTime_; }
  std::int64_t ChartStartTick() const { return startTick_; }
  std::int16_t SelectedPack(int slot) const {
    return selectedPack_[static_cast<std::size_t>(slot)];
  }
  const ChartRanges& ChartRange() const { return ranges_; }
  const ChartSeriesSet& Series() const { return series_; }
  ChartSeriesSet& Series() { return series_; }

  std::int16_t CellRaw(int sample, int cell, int device) const {
    return Raw(CellColumn(cell, device), sample);
  }
  std::int16_t VbatRaw(int sample, int device) const {
    return Raw(kVbatColumn + Index(device), sample);
  }
  std::int16_t IcTempRaw(int sample, int device) const {
    return Raw(kIcTempColumn + Index(device), sample);
  }
  std::int16_t EtRaw(int sample, int input, int device) const {
    return Raw(EtColumn(input, device), sample);
  }
  std::int16_t FaultRawA(int sample, int device) const {
    return Raw(kFaultAColumn + Index(device), sample);
  }
  std::int16_t FaultRawB(int sample, int device) const {
    return Raw(kFaultBColumn + Index(device), sample);
  }
  double ElapsedMinutes(int sample) const { return minutes_[SlotOf(sample)]; }
  std::uint16_t ComErrorFlags(int sample) const { return flags_[SlotOf(sample)]; }

  // The raw values a series draws, sample by sample.
  RingColumn<std::int16_t> RawColumn(const ChartSeries& series) const;
  // The elapsed minutes of every sample.
  RingColumn<double> MinutesColumn() const { return {minutes_.get(), head_, kSamples}; }

  const RegisterModel& Model() const { return model_; }
  const SharedState& State() const { return state_; }

 private:
  static constexpr std::size_t kSamples = kChartCapacity;
  static constexpr std::size_t kDevices = kChartDevices;
  // Columns of the raw values: cells and inputs by (cell or input, device), then by device
  // the pack voltage, internal temperature and both fault status words.
  static constexpr std::size_t kEtColumn = kChartCells * kDevices;
  static constexpr std::size_t kVbatColumn = kEtColumn + kChartEtInputs * kDevices;
  static constexpr std::size_t kIcTempColumn = kVbatColumn + kDevices;
  static constexpr std::size_t kFaultAColumn = kIcTempColumn + kDevices;
  static constexpr std::size_t kFaultBColumn = kFaultAColumn + kDevices;
  static constexpr std::size_t kRawColumns = kFaultBColumn + kDevices;

  static std::size_t Index(int value) { return static_cast<std::size_t>(value); }
  static std::size_t CellColumn(int cell, int device) {
    return Index(cell) * kDevices + Index(device);
  }
  static std::size_t EtColumn(int input, int device) {
    return kEtColumn + Index(input) * kDevices + Index(device);
  }
  std::size_t SlotOf(int sample) const { return MinutesColumn().SlotOf(Index(sample)); }
  std::int16_t& RawSlot(std::size_t column, int sample) {
    return raw_[column * kSamples + SlotOf(sample)];
  }
  std::int16_t Raw(std::size_t column, int sample) const {
    return raw_[column * kSamples + SlotOf(sample)];
  }

  void CopySample(int sample);
  void AddChartDataPoints();
  void BufferFullHandler();
  // Slots whose devices are drawn: both in daisy-chain mode, else slot 0.
  int ShownSlots() const;
  // Widens the running ranges by the values sample `sample` gives the drawn devices.
  void IncludeInRanges(int sample);
  // Calls `feed(series, points)` for every series a sample gives points, with their number.
  template <typename Feed>
  void ForEachFedSeries(Feed feed);

  const RegisterModel& model_;
  const RegisterImage& image_;
  const SharedState& state_;
  Clock& clock_;
  LocalTimeSource& time_;
  ChartWindowHooks noHooks_;
  ChartWindowHooks* hooks_ = &noHooks_;

  // Reserved without being written: pages are touched as samples arrive.
  std::unique_ptr<std::int16_t[]> raw_;
  std::unique_ptr<double[]> minutes_;
  std::unique_ptr<std::uint16_t[]> flags_;
  // The slot of sample 0 in every column.
  std::size_t head_ = 0;

  int sampleIndex_ = 0;
  bool started_ = false;
  LocalTime startTime_{};
  std::int64_t startTick_ = 0;
  std::array<std::int16_t, 3> selectedPack_ = {1, 2, 1};
  ChartRanges ranges_;
  ChartSeriesSet series_;
};

}  // namespace qvm
