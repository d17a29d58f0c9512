// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the chart recording reader: it either refuses the text or keeps
// whole samples, never more than asked for, each with every value of every device.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "records/recording_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvm;
  for (const std::size_t keepLast : {std::size_t{0}, std::size_t{2}}) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    Recording recording;
    std::string error;
    const bool read = ReadRecording(in, keepLast, recording, error);
    const std::size_t samples = recording.Samples();
    const auto devices = static_cast<std::size_t>(recording.devices);
    if (read != error.empty()) __builtin_trap();
    if (read && (samples == 0 || (keepLast != 0 && samples > keepLast))) __builtin_trap();
    if (recording.values.size() != samples * devices * kRecordedValues ||
        recording.faults.size() != samples * devices * 2 || recording.times.size() != samples ||
        recording.comErrors.size() != samples || samples > recording.rowsInFile)
      __builtin_trap();
  }
  return 0;
}
