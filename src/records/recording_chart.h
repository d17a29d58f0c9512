// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string_view>

#include "core/clock.h"
#include "model/register_image.h"
#include "model/register_model.h"
#include "model/shared_state.h"
#include "records/chart_store.h"
#include "records/local_time.h"
#include "records/recording_file.h"

namespace qvm {

// A chart store filled from a recording, so that the chart window shows it with all its tools.
// Each recorded value goes back to the raw word whose decoding, with the console's scales, is
// nearest to it: the charts draw the recorded values to their printed precision. The chain is
// the recording's: daisy chain for more than one device. At most a store-full of samples is
// loaded; the caller reads the recording with keepLast = kChartFullIndex.
class RecordingChart {
 public:
  // `model` and `tint25` are the console's scales and internal-temperature offset.
  RecordingChart(const RegisterModel& model, std::int16_t tint25, const Recording& recording);
  RecordingChart(const RecordingChart&) = delete;
  RecordingChart& operator=(const RecordingChart&) = delete;

  ChartStore& Store() { return store_; }
  const SharedState& State() const { return state_; }

 private:
  class StartTime final : public LocalTimeSource {
   public:
    LocalTime Now() override { return time; }
    LocalTime time{};
  };

  void Load(const Recording& recording);
  void PutSample(const Recording& recording, std::size_t sample);

  const RegisterModel& model_;
  RegisterImage image_;
  SharedState state_;
  VirtualClock clock_;
  StartTime startTime_;
  ChartStore store_;
};

// The time of day of a long time text ("5:01:09 PM"), on an arbitrary date; nullopt when the
// text is not one.
std::optional<LocalTime> ParseLongTime(std::string_view text);

}  // namespace qvm
