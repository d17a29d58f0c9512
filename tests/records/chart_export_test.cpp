#include "records/chart_export.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "chart_fixture.h"
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
  image.at(0, 1, 0x41) = 8000;
  image.at(0, 1, 0x41 + 11) = 0x3FFF - 99;
  image.at(0, 1, 0x40) = 20000;
  image.at(0, 1, 0x50) = 9217 + 123;
  image.at(0, 1, 0x51) = 12345;
  image.at(0, 1, 0x84) = 0x00A5;
  image.at(1, 1, 0x84) = static_cast<std::int16_t>(0x3FFF);
  bench->store.MarkComError(kComErrCrc4);
  bench->store.MarkComError(kComErrPipe);
  bench->store.AddNewVoltageDataToChartArray();
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
  EXPECT_EQ(first[4], "0.0000");
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
  bench->image.at(0, 3, 0x40) = 1000;
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

TEST_F(ChartExportTest, AFailedLineEndsTheExportWithOneWarning) {
  for (int n = 0; n < 10; ++n) bench->store.AddNewVoltageDataToChartArray();
  files.writesLeft = 4;
  const std::string path = docs.File("full.csv");
  EXPECT_FALSE(Export(path));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text.rfind("AddLineToExportCsv failed due to the following:", 0), 0u);
  EXPECT_EQ(SplitLines(ReadWholeFile(path)).size(), 4u);
  EXPECT_FALSE(files.FileInUse(path));
}

TEST_F(ChartExportTest, DecimalSeparatorAndLongElapsedTimes) {
  bench->clock.SleepMs(1);
  bench->store.AddNewVoltageDataToChartArray();
  bench->clock.SleepMs(12345678);
  bench->store.AddNewVoltageDataToChartArray();
  const std::vector<std::string> row = SplitFields(ChartExportRow(bench->store, 1, 1, ';'));
  EXPECT_EQ(row[0], "8:26:55 PM");
  EXPECT_EQ(row[1], "205;76");
  EXPECT_EQ(row[16], "-896;7");
}

}  // namespace
}  // namespace qvm::test
