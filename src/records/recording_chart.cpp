// SPDX-License-Identifier: MIT
#include "records/recording_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/decoders.h"

namespace qvm {

namespace {

constexpr std::int16_t kLargestWord = 0x3FFF;

// The raw word nearest to `value` / `scale`, within the 14 bits of a register.
std::int16_t Word(double value, double scale) {
  const long word = std::lround(value / scale);
  return static_cast<std::int16_t>(std::clamp<long>(word, 0, kLargestWord));
}

// Cell voltages are 14-bit two's complement.
std::int16_t SignedWord(double value, double scale) {
  const long word = std::clamp<long>(std::lround(value / scale), -0x2000, 0x1FFF);
  return static_cast<std::int16_t>(word < 0 ? word + 0x4000 : word);
}

}  // namespace

std::optional<LocalTime> ParseLongTime(std::string_view text) {
  int hour = 0;
  int minute = 0;
  int second = 0;
  char half[3] = {};
  int used = 0;
  const std::string line(text);
  if (std::sscanf(line.c_str(), "%2d:%2d:%2d %2[AP]M%n", &hour, &minute, &second, half, &used) !=
          4 ||
      static_cast<std::size_t>(used) != line.size() || hour < 1 || hour > 12 || minute > 59 ||
      second > 59 || minute < 0 || second < 0) {
    return std::nullopt;
  }
  const int hour24 = hour % 12 + (half[0] == 'P' ? 12 : 0);
  return MakeLocalTime(2000, 1, 1, hour24, minute, second);
}

RecordingChart::RecordingChart(const RegisterModel& model, std::int16_t tint25,
                               const Recording& recording)
    : model_(model), store_(model, image_, state_, clock_, startTime_) {
  state_.Tint25 = tint25;
  state_.DaisyChainMode = recording.devices > 1;
  state_.DeviceCount52400 = static_cast<std::int16_t>(recording.devices);
  Load(recording);
}

void RecordingChart::Load(const Recording& recording) {
  if (recording.Samples() == 0) return;
  startTime_.time = ParseLongTime(recording.times.front()).value_or(LocalTime{});
  store_.Initialize(true, false);
  const double firstMinutes = recording.minutes.front();
  std::int64_t at = 0;
  const std::size_t samples = std::min<std::size_t>(recording.Samples(), kChartFullIndex);
  for (std::size_t s = recording.Samples() - samples; s < recording.Samples(); ++s) {
    PutSample(recording, s);
    const std::int64_t due = std::llround((recording.minutes[s] - firstMinutes) * 60000.0);
    clock_.SleepMs(due - at);
    at = std::max(at, due);
    store_.AddNewVoltageDataToChartArray(recording.comErrors[s]);
  }
}

void RecordingChart::PutSample(const Recording& recording, std::size_t sample) {
  const auto put = [this](int type, int device, int address, double value, auto encode) {
    if (std::isnan(value)) {
      image_.Forget(type, device, address);
    } else {
      image_.StoreRead(type, device, address, encode(value), 1);
    }
  };
  const double cellScale = model_.RegScale(0, kRegCell1);
  const double vbatScale = model_.RegScale(0, kRegVbat);
  const double tempScale = model_.RegScale(0, kRegInternalTemp);
  const double inputScale = model_.RegScale(0, kRegExternalTemp1);
  for (int d = 0; d < recording.devices; ++d) {
    const int device = d + 1;
    for (int c = 0; c < kRecordedCells; ++c) {
      put(0, device, kRegCell1 + c, recording.Value(sample, d, c),
          [&](double v) { return SignedWord(v, cellScale); });
    }
    put(0, device, kRegVbat, recording.Value(sample, d, kRecordedCells),
        [&](double v) { return Word(v, vbatScale); });
    put(0, device, kRegInternalTemp, recording.Value(sample, d, kRecordedCells + 1),
        [&](double v) { return Word(v - 25 + state_.Tint25 * tempScale, tempScale); });
    for (int k = 0; k < kRecordedInputs; ++k) {
      put(0, device, kRegExternalTemp1 + k, recording.Value(sample, d, kRecordedCells + 2 + k),
          [&](double v) { return Word(v, inputScale); });
    }
    for (int type = 0; type < 2; ++type) {
      const std::int32_t word =
          recording.faults[(sample * static_cast<std::size_t>(recording.devices) +
                            static_cast<std::size_t>(d)) *
                               2 +
                           static_cast<std::size_t>(type)];
      if (word == kRecordedFaultUnread) {
        image_.Forget(type, device, kRegFaultStatusWord);
      } else {
        image_.StoreRead(type, device, kRegFaultStatusWord, static_cast<std::int16_t>(word), 1);
      }
    }
  }
}

}  // namespace qvm
