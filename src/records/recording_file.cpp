// SPDX-License-Identifier: MIT
#include "records/recording_file.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

#include "records/chart_export.h"

namespace qvm {

namespace {

constexpr int kFixedColumns = 3;
constexpr int kColumnsPerDevice = kRecordedValues + 2;
constexpr int kMostDevices = 15;
constexpr std::size_t kLongestLine = std::size_t{1} << 20;
constexpr std::size_t kReadBlock = std::size_t{1} << 16;

// Lines of a stream without their CR LF, at most kLongestLine long, read in blocks.
class LineReader {
 public:
  explicit LineReader(std::istream& in) : in_(in) {}

  // False at the end of the stream; `tooLong` when a line passes kLongestLine.
  bool Next(std::string_view& line, bool& tooLong) {
    tooLong = false;
    for (;;) {
      const std::size_t end = buffer_.find('\n', start_);
      if (end != std::string::npos) {
        line = Trim(std::string_view(buffer_).substr(start_, end - start_));
        start_ = end + 1;
        return true;
      }
      if (buffer_.size() - start_ > kLongestLine) {
        tooLong = true;
        return true;
      }
      buffer_.erase(0, start_);
      start_ = 0;
      const std::size_t had = buffer_.size();
      buffer_.resize(had + kReadBlock);
      in_.read(buffer_.data() + had, static_cast<std::streamsize>(kReadBlock));
      buffer_.resize(had + static_cast<std::size_t>(in_.gcount()));
      if (buffer_.size() == had) {
        if (had == 0) return false;
        line = Trim(buffer_);
        start_ = buffer_.size();
        return true;
      }
    }
  }

 private:
  static std::string_view Trim(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }

  std::istream& in_;
  std::string buffer_;
  std::size_t start_ = 0;
};

// Splits at commas into `fields`; a trailing comma ends the last field, as the writers leave it.
void SplitFields(std::string_view line, std::vector<std::string_view>& fields) {
  fields.clear();
  if (!line.empty() && line.back() == ',') line.remove_suffix(1);
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = line.find(',', start);
    fields.push_back(line.substr(start, comma - start));
    if (comma == std::string_view::npos) return;
    start = comma + 1;
  }
}

bool IsText(std::string_view line) {
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && c != '\t') return false;
  }
  return true;
}

bool ParseNumber(std::string_view field, double& value) {
  if (field.empty()) {
    value = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  const auto [end, status] = std::from_chars(field.data(), field.data() + field.size(), value);
  return status == std::errc{} && end == field.data() + field.size() && std::isfinite(value);
}

bool ParseFaultWord(std::string_view field, std::int32_t& word) {
  if (field.empty()) {
    word = kRecordedFaultUnread;
    return true;
  }
  if (field.size() != 6 || !field.starts_with("0x")) return false;
  unsigned value = 0;
  const auto [end, status] = std::from_chars(field.data() + 2, field.data() + 6, value, 16);
  word = static_cast<std::int32_t>(value);
  return status == std::errc{} && end == field.data() + 6;
}

std::string AtLine(std::size_t number, const std::string& what) {
  return "line " + std::to_string(number) + ": " + what;
}

// Checks the header line and gives its device count, or 0.
int HeaderDevices(std::string_view line) {
  std::vector<std::string_view> fields;
  SplitFields(line, fields);
  const auto columns = static_cast<int>(fields.size()) - kFixedColumns;
  if (columns <= 0 || columns % kColumnsPerDevice != 0) return 0;
  const int devices = columns / kColumnsPerDevice;
  if (devices > kMostDevices) return 0;
  const std::string header = ChartExportHeader(devices);
  std::string_view expected = header;
  expected.remove_suffix(1);
  if (!line.empty() && line.back() == ',') line.remove_suffix(1);
  return line == expected ? devices : 0;
}

// Drops the oldest samples once twice `keepLast` are held, so that memory stays bounded.
void KeepLast(Recording& r, std::size_t keepLast, bool finish) {
  const std::size_t held = r.minutes.size();
  if (keepLast == 0 || held <= keepLast || (!finish && held < 2 * keepLast)) return;
  const std::size_t drop = held - keepLast;
  const auto devices = static_cast<std::size_t>(r.devices);
  r.times.erase(r.times.begin(), r.times.begin() + static_cast<std::ptrdiff_t>(drop));
  r.minutes.erase(r.minutes.begin(), r.minutes.begin() + static_cast<std::ptrdiff_t>(drop));
  r.comErrors.erase(r.comErrors.begin(), r.comErrors.begin() + static_cast<std::ptrdiff_t>(drop));
  r.values.erase(r.values.begin(),
                 r.values.begin() + static_cast<std::ptrdiff_t>(drop * devices * kRecordedValues));
  r.faults.erase(r.faults.begin(),
                 r.faults.begin() + static_cast<std::ptrdiff_t>(drop * devices * 2));
}

// Appends the row in `fields` to the recording; the reason when it is not a row.
std::string AddRow(const std::vector<std::string_view>& fields, Recording& r) {
  const std::size_t expected =
      kFixedColumns + static_cast<std::size_t>(r.devices) * kColumnsPerDevice;
  if (fields.size() != expected) {
    return "a row of " + std::to_string(fields.size()) + " fields where the header has " +
           std::to_string(expected);
  }
  double minutes = 0;
  if (fields[1].empty() || !ParseNumber(fields[1], minutes)) return "no elapsed minutes";
  const std::optional<std::uint16_t> flags = ComErrorFlags(fields[2]);
  if (!flags) return "unknown error codes \"" + std::string(fields[2]) + "\"";
  const std::size_t valuesAt = r.values.size();
  const std::size_t faultsAt = r.faults.size();
  std::size_t field = kFixedColumns;
  for (int d = 0; d < r.devices; ++d) {
    for (int v = 0; v < kRecordedValues; ++v, ++field) {
      double value = 0;
      if (!ParseNumber(fields[field], value)) {
        r.values.resize(valuesAt);
        r.faults.resize(faultsAt);
        return "column " + std::to_string(field + 1) + " is not a number";
      }
      r.values.push_back(value);
    }
    for (int w = 0; w < 2; ++w, ++field) {
      std::int32_t word = 0;
      if (!ParseFaultWord(fields[field], word)) {
        r.values.resize(valuesAt);
        r.faults.resize(faultsAt);
        return "column " + std::to_string(field + 1) + " is not a fault word";
      }
      r.faults.push_back(word);
    }
  }
  r.times.emplace_back(fields[0]);
  r.minutes.push_back(minutes);
  r.comErrors.push_back(*flags);
  return {};
}

}  // namespace

bool ReadRecording(std::istream& in, std::size_t keepLast, Recording& recording,
                   std::string& error) {
  recording = Recording{};
  LineReader lines(in);
  std::string_view line;
  bool tooLong = false;
  std::size_t number = 1;
  if (!lines.Next(line, tooLong)) {
    error = "the file is empty";
    return false;
  }
  if (tooLong || !IsText(line) || (recording.devices = HeaderDevices(line)) == 0) {
    error = AtLine(1, "not a chart recording (its first line is not the header of one)");
    return false;
  }
  std::vector<std::string_view> fields;
  while (lines.Next(line, tooLong)) {
    ++number;
    if (tooLong) {
      recording.stoppedAt = AtLine(number, "longer than any row");
      break;
    }
    if (line.empty()) continue;
    if (!IsText(line)) {
      recording.stoppedAt = AtLine(number, "not text");
      break;
    }
    SplitFields(line, fields);
    if (std::string reason = AddRow(fields, recording); !reason.empty()) {
      recording.stoppedAt = AtLine(number, reason);
      break;
    }
    ++recording.rowsInFile;
    KeepLast(recording, keepLast, false);
  }
  KeepLast(recording, keepLast, true);
  if (recording.Samples() == 0) {
    error = recording.stoppedAt.empty() ? "the recording holds no samples" : recording.stoppedAt;
    return false;
  }
  return true;
}

}  // namespace qvm
