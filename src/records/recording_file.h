// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace qvm {

// Values of one device in one sample of a chart recording, in the order of its columns.
inline constexpr int kRecordedCells = 12;
inline constexpr int kRecordedInputs = 4;
inline constexpr int kRecordedValues = kRecordedCells + 2 + kRecordedInputs;
// The two fault status words of a device; kRecordedFaultUnread where the row left it empty.
inline constexpr std::int32_t kRecordedFaultUnread = -1;

// A chart recording read back: the rows of a chart export or of "Record to CSV while
// polling". Values never read are NaN. Sample s, device d (0-based) has its values at
// values[(s * devices + d) * kRecordedValues + v] and its fault words at
// faults[(s * devices + d) * 2 + w].
struct Recording {
  int devices = 0;
  // The rows read; the samples kept are the last `Samples()` of them.
  std::size_t rowsInFile = 0;
  std::vector<std::string> times;
  std::vector<double> minutes;
  std::vector<std::uint16_t> comErrors;
  std::vector<double> values;
  std::vector<std::int32_t> faults;
  // Empty when every line was read; otherwise why and at which line reading stopped. The
  // rows before that line are kept.
  std::string stoppedAt;

  std::size_t Samples() const { return minutes.size(); }
  double Value(std::size_t sample, int device, int value) const {
    return values[(sample * static_cast<std::size_t>(devices) + static_cast<std::size_t>(device)) *
                      kRecordedValues +
                  static_cast<std::size_t>(value)];
  }
};

// Reads a recording, keeping at most its last `keepLast` samples (0 keeps every one). Reading
// stops at the first line that is not a row of the header's layout, which `stoppedAt` names.
// Returns false, with `error` set, when no row could be read: not a chart recording, an empty
// file, a binary file.
bool ReadRecording(std::istream& in, std::size_t keepLast, Recording& recording,
                   std::string& error);

}  // namespace qvm
