// SPDX-License-Identifier: MIT
#include "records/recording_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "chart_fixture.h"
#include "records/chart_export.h"
#include "records/recording_chart.h"

namespace qvm::test {
namespace {

// A chain of three devices polled `samples` times, exported as the chart window does.
std::string ExportedChain(int samples) {
  ChartBench bench;
  bench.state.DaisyChainMode = true;
  bench.state.DeviceCount52400 = 3;
  std::string text = ChartExportHeader(3) + "\r\n";
  for (int s = 0; s < samples; ++s) {
    for (int d = 1; d <= 3; ++d) {
      bench.image.StoreRead(0, d, 0x41 + s % 12, static_cast<std::int16_t>(6000 + 37 * s + d), 1);
      bench.image.StoreRead(0, d, 0x84, static_cast<std::int16_t>(s * 3 + d), 1);
      bench.image.StoreRead(0, d, 0x40, static_cast<std::int16_t>(11000 + 13 * s), 1);
      bench.image.StoreRead(0, d, 0x50, static_cast<std::int16_t>(9217 + 41 * s - 300 * d), 1);
      if (s % 3 != 0) bench.image.StoreRead(0, d, 0x52, static_cast<std::int16_t>(4000 + s), 1);
    }
    bench.store.AddNewVoltageDataToChartArray(s % 4 == 0 ? kComErrCrc4 | kComErrNack : 0);
    bench.clock.SleepMs(500);
    AppendChartExportRow(text, bench.store, s, 3, '.');
    text += "\r\n";
  }
  return text;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
    fields.push_back(line.substr(start, comma - start));
  return fields;
}

TEST(RecordingFile, ReadsBackEveryFieldOfAnExport) {
  const std::string text = ExportedChain(25);
  std::istringstream in(text);
  Recording recording;
  std::string error;
  ASSERT_TRUE(ReadRecording(in, 0, recording, error)) << error;
  EXPECT_EQ(recording.devices, 3);
  EXPECT_EQ(recording.rowsInFile, 25u);
  ASSERT_EQ(recording.Samples(), 25u);
  EXPECT_TRUE(recording.stoppedAt.empty());
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);
  for (std::size_t s = 0; std::getline(lines, line); ++s) {
    const std::vector<std::string> f = Fields(line);
    EXPECT_EQ(recording.times[s] + ",", f[0] + ",");
    EXPECT_DOUBLE_EQ(recording.minutes[s], std::stod(f[1]));
    EXPECT_EQ(ComErrorCodes(recording.comErrors[s]), f[2]);
    for (int d = 0; d < 3; ++d) {
      for (int v = 0; v < kRecordedValues; ++v) {
        const std::string& field = f[3 + static_cast<std::size_t>(d * 20 + v)];
        const double value = recording.Value(s, d, v);
        if (field.empty()) {
          EXPECT_TRUE(std::isnan(value));
        } else {
          EXPECT_DOUBLE_EQ(value, std::stod(field));
        }
      }
      const std::string& fault = f[3 + static_cast<std::size_t>(d * 20 + 18)];
      EXPECT_EQ(recording.faults[(s * 3 + static_cast<std::size_t>(d)) * 2],
                fault.empty() ? kRecordedFaultUnread : std::stoi(fault, nullptr, 16));
    }
  }
}

TEST(RecordingFile, KeepsTheLastSamplesOfALongRecording) {
  std::istringstream in(ExportedChain(50));
  Recording recording;
  std::string error;
  ASSERT_TRUE(ReadRecording(in, 7, recording, error)) << error;
  EXPECT_EQ(recording.rowsInFile, 50u);
  ASSERT_EQ(recording.Samples(), 7u);
  EXPECT_DOUBLE_EQ(recording.minutes.back(), 0.41);  // 49 samples of 0.5 s, two decimals
  EXPECT_EQ(recording.values.size(), 7u * 3 * kRecordedValues);
  EXPECT_EQ(recording.faults[(6 * 3 + 2) * 2], 49 * 3 + 3);
  EXPECT_EQ(recording.faults.back(), kRecordedFaultUnread);
}

// Bad input: refused with the line, or the rows before the bad line kept and the line named.
TEST(RecordingFile, BadInputIsRefusedOrStopsAtItsLine) {
  const std::string good = ExportedChain(3);
  const std::string header = good.substr(0, good.find('\n') + 1);
  const std::string row =
      good.substr(header.size(), good.find('\n', header.size()) + 1 - header.size());
  const std::string fixed = row.substr(row.find(',', row.find(',', row.find(',') + 1) + 1));
  const std::string lastCut = row.substr(0, row.size() - 3);
  struct Case {
    std::string text;
    std::size_t samples;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"", 0, "the file is empty"},
      {"a,b,c\r\n1,2,3\r\n", 0, "line 1: not a chart recording"},
      {std::string("\x7f"
                   "ELF\0\1\2",
                   7),
       0, "line 1: not a chart recording"},
      {header, 0, "the recording holds no samples"},
      {header + row + row.substr(0, 40), 1, "line 3: a row of"},
      {header + row + "x,0.5,Bogus_" + fixed, 1, "line 3: unknown error codes \"Bogus_\""},
      {header + row + lastCut.substr(0, lastCut.rfind(',') + 1) + "0xZZZZ,\r\n", 1,
       "line 3: column 63 is not a fault word"},
      {header + std::string(3 << 20, 'a'), 0, "line 2: longer than any row"},
      {header + row + std::string("\0\0\0\r\n", 5), 1, "line 3: not text"},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.text);
    Recording recording;
    std::string error;
    const bool read = ReadRecording(in, 0, recording, error);
    EXPECT_EQ(read, c.samples > 0) << c.message;
    EXPECT_EQ(recording.Samples(), c.samples) << c.message;
    const std::string& said = read ? recording.stoppedAt : error;
    EXPECT_EQ(said.rfind(c.message, 0), 0u) << said << " / " << c.message;
  }
}

// A recording opened in a chart store exports again as the same rows; the time of day of a row
// is the start time plus its elapsed minutes, which the file gives to 0.6 s.
TEST(RecordingChart, AStoreFilledFromARecordingExportsItAgain) {
  const std::string text = ExportedChain(40);
  std::istringstream in(text);
  Recording recording;
  std::string error;
  ASSERT_TRUE(ReadRecording(in, kChartFullIndex, recording, error)) << error;
  ChartBench bench;
  RecordingChart chart(bench.model, bench.state.Tint25, recording);
  EXPECT_TRUE(chart.State().DaisyChainMode);
  ASSERT_EQ(chart.Store().ChartSampleIndex(), 40);
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);
  for (int s = 0; std::getline(lines, line); ++s) {
    line.pop_back();
    const std::string again = ChartExportRow(chart.Store(), s, 3, '.');
    EXPECT_EQ(again.substr(again.find(',')), line.substr(line.find(','))) << "sample " << s;
  }
  EXPECT_EQ(FormatLongTime(chart.Store().ChartStartTime()), recording.times.front());
}

TEST(RecordingChart, LongTimesParse) {
  EXPECT_EQ(FormatLongTime(*ParseLongTime("5:01:09 PM")), "5:01:09 PM");
  EXPECT_EQ(FormatLongTime(*ParseLongTime("12:00:00 AM")), "12:00:00 AM");
  for (const char* bad : {"", "17:01:09", "5:61:09 PM", "5:01:09 PMx", "0:01:09 AM"})
    EXPECT_FALSE(ParseLongTime(bad)) << bad;
}

}  // namespace
}  // namespace qvm::test
