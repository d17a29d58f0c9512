// SPDX-License-Identifier: MIT
#include "records/chart_export.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "chart_fixture.h"
#include "core/hex.h"
#include "model/decoders.h"
#include "records/sample_json.h"
#include "scripted_host.h"

namespace qvm::test {
namespace {

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream stream(line);
  while (std::getline(stream, field, ',')) fields.push_back(field);
  return fields;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, at - start));
    start = at + 2;
  }
  EXPECT_EQ(start, text.size()) << "text does not end in CR LF";
  return lines;
}

class ChartExportTest : public ::testing::Test {
 protected:
  void SetUp() override { files.documents = docs.path(); }

  bool Export(const std::string& path) {
    host.fileAnswers = {path};
    return ExportCSV(bench->store, channel, host, title, '.');
  }

  std::unique_ptr<ChartBench> bench = std::make_unique<ChartBench>();
  TempFolder docs;
  TestFileSystem files;
  ScriptedHost host;
  std::string title = "Board";
  RecordChannel channel{kChartExportChannel, host, files, title};
};

TEST_F(ChartExportTest, SingleDeviceHeaderHasTwentyDeviceColumns) {
  const std::vector<std::string> fields = SplitFields(ChartExportHeader(1));
  ASSERT_EQ(fields.size(), 23u);
  EXPECT_EQ(fields[0], "TimeStamp");
  EXPECT_EQ(fields[1], "Elapsed(min)");
  EXPECT_EQ(fields[2], "ComErrors");
  EXPECT_EQ(fields[3], "VCell1-1");
  EXPECT_EQ(fields[14], "VCell1-12");
  EXPECT_EQ(fields[15], "VBat1");
  EXPECT_EQ(fields[16], "ICTemp1");
  EXPECT_EQ(fields[17], "ETV1-1");
  EXPECT_EQ(fields[20], "ETV1-4");
  EXPECT_EQ(fields[21], "FAULTSTAT400-1");
  EXPECT_EQ(fields[22], "FAULTSTAT401-1");
  EXPECT_EQ(ChartExportHeader(1).back(), ',');
  const std::string three = ChartExportHeader(3);
  EXPECT_EQ(SplitFields(three).size(), 3u + 3 * 20);
  EXPECT_NE(three.find("FAULTSTAT401-2,VCell3-1,"), std::string::npos);
}

TEST_F(ChartExportTest, ErrorCodesInTheFixedOrder) {
  EXPECT_EQ(ComErrorCodes(0), "");
  EXPECT_EQ(ComErrorCodes(kComErrPipe | kComErrCrc4), "CRCErr_PipeComErr_");
  EXPECT_EQ(ComErrorCodes(0x1F), "NoACK_CRCErr_BadResponse_NackResponse_PipeComErr_");
  EXPECT_EQ(ComErrorCodes(kComErrNack | kComErrBadResponse), "BadResponse_NackResponse_");
}

TEST_F(ChartExportTest, WritesOneRowPerStoredSample) {
  auto& image = bench->image;
  image.StoreRead(0, 1, 0x41, 8000, 1);
  image.StoreRead(0, 1, 0x41 + 11, 0x3FFF - 99, 1);
  image.StoreRead(0, 1, 0x40, 20000, 1);
  image.StoreRead(0, 1, 0x50, 9217 + 123, 1);
  image.StoreRead(0, 1, 0x51, 12345, 1);
  image.StoreRead(0, 1, 0x84, 0x00A5, 1);
  image.StoreRead(1, 1, 0x84, static_cast<std::int16_t>(0x3FFF), 1);
  bench->store.AddNewVoltageDataToChartArray(kComErrCrc4 | kComErrPipe);
  bench->clock.SleepMs(150000);
  bench->store.AddNewVoltageDataToChartArray();
  const std::string path = docs.File("export.csv");
  ASSERT_TRUE(Export(path));
  const std::vector<std::string> lines = SplitLines(ReadWholeFile(path));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0] + "", ChartExportHeader(1));
  const std::vector<std::string> first = SplitFields(lines[1]);
  ASSERT_EQ(first.size(), 23u);
  EXPECT_EQ(first[0], "5:01:09 PM");
  EXPECT_EQ(first[1], "0.00");
  EXPECT_EQ(first[2], "CRCErr_PipeComErr_");
  EXPECT_EQ(first[3], "3.0000");
  EXPECT_EQ(first[4], "");  // never read
  EXPECT_EQ(first[14], "-0.0375");
  EXPECT_EQ(first[15], "30.000");
  EXPECT_EQ(first[16], "37.3");
  EXPECT_EQ(first[17], "1.2345");
  EXPECT_EQ(first[21], "0x00A5");
  EXPECT_EQ(first[22], "0x3FFF");
  EXPECT_EQ(lines[1].back(), ',');
  const std::vector<std::string> second = SplitFields(lines[2]);
  EXPECT_EQ(second[0], "5:03:39 PM");
  EXPECT_EQ(second[1], "2.50");
  EXPECT_EQ(second[2], "");
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(ChartExportTest, DaisyChainExportsEveryPrimaryDevice) {
  bench->state.DaisyChainMode = true;
  bench->state.DeviceCount52400 = 3;
  bench->image.StoreRead(0, 3, 0x40, 1000, 1);
  bench->store.AddNewVoltageDataToChartArray();
  const std::string path = docs.File("chain.csv");
  ASSERT_TRUE(Export(path));
  const std::vector<std::string> lines = SplitLines(ReadWholeFile(path));
  ASSERT_EQ(lines.size(), 2u);
  const std::vector<std::string> row = SplitFields(lines[1]);
  ASSERT_EQ(row.size(), 63u);
  EXPECT_EQ(row[3 + 40 + 12], "1.500");
  bench->state.DeviceCount52400 = 40;
  EXPECT_EQ(ChartExportDeviceCount(bench->state), 15);
}

TEST_F(ChartExportTest, CancelShowsTheMessageAndWritesNothing) {
  bench->store.AddNewVoltageDataToChartArray();
  host.fileAnswers.clear();
  EXPECT_FALSE(ExportCSV(bench->store, channel, host, title, '.'));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Export to CSV cancelled, logfile not created.");
  EXPECT_TRUE(std::filesystem::is_empty(docs.path()));
}

TEST_F(ChartExportTest, AFailedWriteEndsTheExportWithOneWarning) {
  for (int n = 0; n < 10; ++n) bench->store.AddNewVoltageDataToChartArray();
  // The header goes out on its own, the rows in blocks: the first block fails.
  files.writesLeft = 1;
  const std::string path = docs.File("full.csv");
  EXPECT_FALSE(Export(path));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text.rfind("AddLineToExportCsv failed due to the following:", 0), 0u);
  EXPECT_EQ(SplitLines(ReadWholeFile(path)), std::vector<std::string>{ChartExportHeader(1)});
  EXPECT_FALSE(files.FileInUse(path));
}

TEST_F(ChartExportTest, DecimalSeparatorAndLongElapsedTimes) {
  bench->image.StoreRead(0, 1, 0x50, 0, 1);
  bench->clock.SleepMs(1);
  bench->store.AddNewVoltageDataToChartArray();
  bench->clock.SleepMs(12345678);
  bench->store.AddNewVoltageDataToChartArray();
  const std::vector<std::string> row = SplitFields(ChartExportRow(bench->store, 1, 1, ';'));
  EXPECT_EQ(row[0], "8:26:55 PM");
  EXPECT_EQ(row[1], "205;76");
  EXPECT_EQ(row[16], "-896;7");
}

// The row as the export has always written it: every field through the general formatters.
std::string ReferenceRow(const ChartStore& store, int sample, int devices, char separator) {
  const RegisterModel& model = store.Model();
  // A value never read is an empty field.
  const auto field = [](std::int16_t raw, const std::string& text) {
    return (raw == kChartNeverRead ? "" : text) + ",";
  };
  const double minutes = store.ElapsedMinutes(sample);
  std::string line =
      FormatLongTime(store.ChartStartTime() + std::chrono::seconds{std::llround(minutes * 60.0)}) +
      ",";
  line +=
      FormatFixed(minutes, 2, separator) + "," + ComErrorCodes(store.ComErrorFlags(sample)) + ",";
  for (int d = 1; d <= devices; ++d) {
    for (int c = 0; c < kChartCells; ++c) {
      const std::int16_t raw = store.CellRaw(sample, c, d);
      line += field(raw, FormatFixed(DecodeCellVoltage(model, raw), 4, separator));
    }
    const std::int16_t vbat = store.VbatRaw(sample, d);
    line += field(vbat, FormatFixed(DecodeVbatVoltage(model, vbat), 3, separator));
    const std::int16_t icTemp = store.IcTempRaw(sample, d);
    line +=
        field(icTemp, FormatFixed(DecodeInternalTemp(model, store.State(), icTemp), 1, separator));
    for (int k = 0; k < kChartEtInputs; ++k) {
      const std::int16_t raw = store.EtRaw(sample, k, d);
      line += field(raw, FormatFixed(DecodeExternalTemp(model, raw), 4, separator));
    }
    for (const std::int16_t word : {store.FaultRawA(sample, d), store.FaultRawB(sample, d)}) {
      line += field(word, Hex0x(static_cast<std::uint16_t>(word), 4));
    }
  }
  return line;
}

TEST_F(ChartExportTest, FastRowsAreByteIdenticalToTheGeneralFormatters) {
  bench->state.DaisyChainMode = true;
  bench->state.DeviceCount52400 = 14;
  bench->state.Tint25 = 2731;
  std::uint32_t seed = 12345;
  const auto next = [&seed](int range) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(range));
  };
  // Every raw value a register can hold, errors on some samples and irregular times, some of
  // them days apart; the last two devices are read only from sample 50 on.
  for (int sample = 0; sample < 300; ++sample) {
    for (int d = 0; d < kChartDevices; ++d) {
      if (sample < 50 && d >= 13) continue;
      for (int c = 0; c < kChartCells; ++c) {
        bench->image.StoreRead(0, d, 0x41 + c, static_cast<std::int16_t>(next(65536) - 32768), 1);
      }
      bench->image.StoreRead(0, d, 0x40, static_cast<std::int16_t>(next(65536) - 32768), 1);
      bench->image.StoreRead(0, d, 0x50, static_cast<std::int16_t>(next(0x4000)), 1);
      for (int k = 0; k < kChartEtInputs; ++k) {
        bench->image.StoreRead(0, d, 0x51 + k, static_cast<std::int16_t>(next(65536) - 32768), 1);
      }
      bench->image.StoreRead(0, d, 0x84, static_cast<std::int16_t>(next(3) == 0 ? next(65536) : 0),
                             1);
      bench->image.StoreRead(1, d, 0x84, static_cast<std::int16_t>(next(65536)), 1);
    }
    bench->store.AddNewVoltageDataToChartArray(static_cast<std::uint16_t>(next(64)));
    bench->clock.SleepMs(next(10) == 0 ? 1 + next(400000000) : 1 + next(2000));
  }
  const ChartStore& store = bench->store;
  std::string expected = ChartExportHeader(14) + "\r\n";
  for (int i = 0; i < store.ChartSampleIndex(); ++i) {
    const std::string row = ReferenceRow(store, i, 14, '.');
    ASSERT_EQ(ChartExportRow(store, i, 14, '.'), row) << "sample " << i;
    ASSERT_EQ(ChartExportRow(store, i, 14, ','), ReferenceRow(store, i, 14, ',')) << i;
    expected += row + "\r\n";
  }
  const std::string path = docs.File("identical.csv");
  ASSERT_TRUE(Export(path));
  EXPECT_TRUE(ReadWholeFile(path) == expected);
}

// The sample's JSON form quotes every text it carries (part names, rig and board names) so that
// a subscriber can parse it whatever the text holds.
TEST(SampleJson, TextsAreQuotedAndControlCharactersEscaped) {
  EXPECT_EQ(JsonString("rig 1"), "\"rig 1\"");
  EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(JsonString("line\nnext\t\x01"), "\"line\\u000anext\\u0009\\u0001\"");
  std::string out = "{";
  AppendJsonString(out, "");
  EXPECT_EQ(out, "{\"\"");
}

}  // namespace
}  // namespace qvm::test
