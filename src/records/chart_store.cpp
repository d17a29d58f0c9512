// SPDX-License-Identifier: MIT
#include "records/chart_store.h"

#include <cmath>

#include "model/decoders.h"

namespace qvm {

double DecodedChartValue(ChartKind kind, const RegisterModel& model, const SharedState& state,
                         std::int16_t raw) {
  if (raw == kChartNeverRead) return NAN;
  switch (kind) {
    case ChartKind::Cells:
      return DecodeCellVoltage(model, raw);
    case ChartKind::Packs:
      return DecodeVbatVoltage(model, raw);
    case ChartKind::IcTemp:
      return DecodeInternalTemp(model, state, raw);
    case ChartKind::EtVolts:
    case ChartKind::Faults:
      break;
  }
  return DecodeExternalTemp(model, raw);
}

ChartStore::ChartStore(const RegisterModel& model, const RegisterImage& image,
                       const SharedState& state, Clock& clock, LocalTimeSource& time)
    : model_(model),
      image_(image),
      state_(state),
      clock_(clock),
      time_(time),
      raw_(std::make_unique_for_overwrite<std::int16_t[]>(kRawColumns * kSamples)),
      minutes_(std::make_unique_for_overwrite<double[]>(kSamples)),
      flags_(std::make_unique_for_overwrite<std::uint16_t[]>(kSamples)) {
  series_.Rebuild(selectedPack_[0], selectedPack_[1], selectedPack_[2], false, false);
}

void ChartStore::AddNewVoltageDataToChartArray(std::uint16_t comErrors) {
  if (!started_) sampleIndex_ = 0;
  CopySample(sampleIndex_);
  const std::size_t slot = SlotOf(sampleIndex_);
  flags_[slot] = comErrors;
  if (started_) {
    minutes_[slot] = static_cast<double>(clock_.NowMs() - startTick_) / 60000.0;
  } else {
    startTick_ = clock_.NowMs();
    startTime_ = time_.Now();
    minutes_[slot] = 0.0;
    started_ = true;
    hooks_->ShowStartingTime(FormatLongTime(startTime_));
  }
  AddChartDataPoints();
  ++sampleIndex_;
  hooks_->EnableSampleButtons();
}

void ChartStore::CopySample(int sample) {
  const auto raw = [this](int type, int d, int address) {
    return image_.Known(type, d, address) ? image_.at(type, d, address) : kChartNeverRead;
  };
  for (int d = 0; d < kChartDevices; ++d) {
    for (int c = 0; c < kChartCells; ++c)
      RawSlot(CellColumn(c, d), sample) = raw(0, d, kRegCell1 + c);
    for (int k = 0; k < kChartEtInputs; ++k) {
      RawSlot(EtColumn(k, d), sample) = raw(0, d, kRegExternalTemp1 + k);
    }
    RawSlot(kVbatColumn + Index(d), sample) = raw(0, d, kRegVbat);
    RawSlot(kIcTempColumn + Index(d), sample) = raw(0, d, kRegInternalTemp);
    RawSlot(kFaultAColumn + Index(d), sample) = raw(0, d, kRegFaultStatusWord);
    RawSlot(kFaultBColumn + Index(d), sample) = raw(1, d, kRegFaultStatusWord);
  }
}

void ChartStore::AddChartDataPoints() {
  if (sampleIndex_ == kChartFullIndex) BufferFullHandler();
  if (!state_.DaisyChainMode) {
    for (int n = kChartCells; n < 2 * kChartCells; ++n)
      series_.Series(ChartKind::Cells, n).visible = false;
    series_.Series(ChartKind::Packs, 1).visible = false;
    series_.Series(ChartKind::IcTemp, 1).visible = false;
    for (int n = kChartEtInputs; n < 2 * kChartEtInputs; ++n) {
      series_.Series(ChartKind::EtVolts, n).visible = false;
    }
    series_.Series(ChartKind::Faults, 2).visible = false;
    series_.Series(ChartKind::Faults, 3).visible = false;
  }
  IncludeInRanges(sampleIndex_);
  ForEachFedSeries(
      [this](ChartSeries& series, int points) { series.AddSample(sampleIndex_, points); });
  hooks_->SampleDrawn();
}

int ChartStore::ShownSlots() const {
  return state_.DaisyChainMode ? 2 : 1;
}

void ChartStore::IncludeInRanges(int sample) {
  for (int slot = 0; slot < ShownSlots(); ++slot) {
    const int d = selectedPack_[static_cast<std::size_t>(slot)];
    for (int c = 0; c < kChartCells; ++c) {
      ranges_.cells.Include(
          DecodedChartValue(ChartKind::Cells, model_, state_, CellRaw(sample, c, d)));
    }
    ranges_.packs.Include(DecodedChartValue(ChartKind::Packs, model_, state_, VbatRaw(sample, d)));
    ranges_.icTemp.Include(
        DecodedChartValue(ChartKind::IcTemp, model_, state_, IcTempRaw(sample, d)));
    for (int k = 0; k < kChartEtInputs; ++k) {
      ranges_.etVolts.Include(
          DecodedChartValue(ChartKind::EtVolts, model_, state_, EtRaw(sample, k, d)));
    }
  }
}

template <typename Feed>
void ChartStore::ForEachFedSeries(Feed feed) {
  const int slots = ShownSlots();
  for (int slot = 0; slot < slots; ++slot) {
    for (int c = 0; c < kChartCells; ++c)
      feed(series_.Series(ChartKind::Cells, slot * kChartCells + c), 1);
    feed(series_.Series(ChartKind::IcTemp, slot), 1);
    for (int k = 0; k < kChartEtInputs; ++k) {
      feed(series_.Series(ChartKind::EtVolts, slot * kChartEtInputs + k), 1);
    }
    for (int type = 0; type < 2; ++type)
      feed(series_.Series(ChartKind::Faults, slot * 2 + type), 1);
  }
  // Each pack voltage goes to the series of its own device number; one device shown in both
  // slots gives its series two points.
  const bool samePack = slots == 2 && selectedPack_[0] == selectedPack_[1];
  for (int slot = 0; slot < (samePack ? 1 : slots); ++slot) {
    const int packSeries = selectedPack_[static_cast<std::size_t>(slot)] - 1;
    if (packSeries >= 0 && packSeries < static_cast<int>(series_.Chart(ChartKind::Packs).size())) {
      feed(series_.Series(ChartKind::Packs, packSeries), samePack ? 2 : 1);
    }
  }
}

RingColumn<std::int16_t> ChartStore::RawColumn(const ChartSeries& series) const {
  std::size_t column = 0;
  switch (series.kind) {
    case ChartKind::Cells:
      column = CellColumn(series.column, series.device);
      break;
    case ChartKind::Packs:
      column = kVbatColumn + Index(series.device);
      break;
    case ChartKind::IcTemp:
      column = kIcTempColumn + Index(series.device);
      break;
    case ChartKind::EtVolts:
      column = EtColumn(series.column, series.device);
      break;
    case ChartKind::Faults:
      column = (series.column == 0 ? kFaultAColumn : kFaultBColumn) + Index(series.device);
      break;
  }
  return {raw_.get() + column * kSamples, head_, kSamples};
}

void ChartStore::BufferFullHandler() {
  head_ = SlotOf(kChartDropCount);
  sampleIndex_ -= kChartDropCount;
  series_.DropOldest(kChartDropCount);
  hooks_->OldestDropped(kChartDropCount);
}

void ChartStore::Initialize(bool restart, bool evbConnected) {
  if (restart) {
    started_ = false;
    ranges_ = ChartRanges{};
  }
  series_.Rebuild(selectedPack_[0], selectedPack_[1], selectedPack_[2], state_.DaisyChainMode,
                  evbConnected);
  // The samples kept are drawn again for the devices shown now.
  if (started_ && sampleIndex_ > 0) {
    ForEachFedSeries([this](ChartSeries& series, int points) {
      series.samples = {{0, sampleIndex_, points}};
    });
    for (int sample = 0; sample < sampleIndex_; ++sample) IncludeInRanges(sample);
  }
  hooks_->SeriesRebuilt();
}

bool ChartStore::HandlePackSelectCombobox(int slot, int entry, bool evbConnected) {
  if (slot < 0 || slot >= static_cast<int>(selectedPack_.size())) return false;
  const int device = entry + 1;
  if (device < 1 || device >= kChartDevices) return false;
  auto& selected = selectedPack_[static_cast<std::size_t>(slot)];
  if (selected == device) return true;
  selected = static_cast<std::int16_t>(device);
  Initialize(false, evbConnected);
  return true;
}

}  // namespace qvm
