#pragma once

#include <cstddef>
#include <cstdint>

#include "model/decoders.h"
#include "records/chart_series.h"
#include "records/chart_store.h"

namespace qvm {

// The points of one series as the store holds them: x the elapsed minutes of each sample, y
// its value decoded with the store's register model, or its fault level.
class ChartSeriesPoints {
 public:
  ChartSeriesPoints(const ChartStore& store, const ChartSeries& series)
      : store_(store), series_(series), count_(series.PointCount()) {}

  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }

  double X(std::size_t point) const { return store_.ElapsedMinutes(series_.SampleOf(point)); }
  double Y(std::size_t point) const { return Value(series_.SampleOf(point)); }
  ChartPoint operator[](std::size_t point) const {
    const std::int32_t sample = series_.SampleOf(point);
    return {sample, store_.ElapsedMinutes(sample), Value(sample)};
  }

 private:
  double Value(std::int32_t sample) const {
    const int device = series_.device;
    switch (series_.kind) {
      case ChartKind::Cells:
        return DecodeCellVoltage(store_.Model(), store_.CellRaw(sample, series_.column, device));
      case ChartKind::Packs:
        return DecodeVbatVoltage(store_.Model(), store_.VbatRaw(sample, device));
      case ChartKind::IcTemp:
        return DecodeInternalTemp(store_.Model(), store_.State(), store_.IcTempRaw(sample, device));
      case ChartKind::EtVolts:
        return DecodeExternalTemp(store_.Model(), store_.EtRaw(sample, series_.column, device));
      case ChartKind::Faults:
        break;
    }
    const std::int16_t status =
        series_.column == 0 ? store_.FaultRawA(sample, device) : store_.FaultRawB(sample, device);
    return series_.faultLevel + (status != 0 ? 1.0 : 0.0);
  }

  const ChartStore& store_;
  const ChartSeries& series_;
  std::size_t count_;
};

}  // namespace qvm
