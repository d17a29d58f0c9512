// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run_qvmctl.h"

namespace qvm::cli {
namespace {

const std::vector<std::string> kChain = {"--sim", "daisy:52400x3"};

std::vector<std::string> With(std::vector<std::string> args, const std::string& faults) {
  std::vector<std::string> all = kChain;
  all.insert(all.end(), {"--sim-faults", faults});
  all.insert(all.end(), args.begin(), args.end());
  return all;
}

// The number of the first exchange after identification: the first one at which an injected
// CRC4 error spoils a register read.
int FirstExchangeAfterIdentify() {
  for (int n = 1; n <= 200; ++n) {
    const CliRun r = Qvmctl(With({"read", "1", "2", "4"}, "crc@" + std::to_string(n)));
    if (r.err.find("read failed") != std::string::npos) return n;
  }
  return -1;
}

class QvmctlFaultTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { first = FirstExchangeAfterIdentify(); }
  void SetUp() override { ASSERT_GT(first, 0); }

  std::string At(const char* kind, int exchange) const {
    return std::string(kind) + "@" + std::to_string(exchange);
  }

  static int first;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("qvmctl-faults-" + std::to_string(::getpid()));
};

int QvmctlFaultTest::first = -1;

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// A register access whose reply carries a NACK, a CRC4 error or nothing of the device prints
// no value and exits 1 with the reason.
TEST_F(QvmctlFaultTest, AccessUnderAnInjectedFaultFailsWithItsReason) {
  const struct {
    const char* kind;
    std::vector<std::string> args;
    std::string reason;
  } cases[] = {
      {"nak", {"read", "2", "2", "4"}, "qvmctl: read failed: the device answered NACK\n"},
      {"crc", {"read", "2", "2", "4"}, "qvmctl: read failed: the reply failed its CRC4 check\n"},
      {"silent", {"read", "2", "2", "4"}, "qvmctl: read failed: device 2 did not answer\n"},
      {"short", {"read", "3", "2", "4"}, "qvmctl: read failed: device 3 did not answer\n"},
      {"nak",
       {"write", "2", "2", "22", "0x1234"},
       "qvmctl: write failed: the device answered NACK\n"},
      {"nak",
       {"send", "--dev", "2", "--cat", "2", "--adr", "4"},
       "send failed: the device answered NACK"},
      {"crc",
       {"send", "--dev", "2", "--cat", "2", "--adr", "4"},
       "send failed: the reply failed its CRC4"},
      {"silent",
       {"send", "--dev", "2", "--cat", "2", "--adr", "4"},
       "send failed: device 2 did not answer"},
  };
  for (const auto& c : cases) {
    const CliRun r = Qvmctl(With(c.args, At(c.kind, first)));
    EXPECT_EQ(r.status, 1) << c.kind << " " << c.args[0];
    EXPECT_EQ(r.out, "") << c.kind;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
  }
  // A reply that only the retry brought is good, though recorded.
  const CliRun recovered = Qvmctl(With({"read", "2", "2", "4"}, At("drop", first)));
  EXPECT_EQ(recovered.status, 0) << recovered.err;
  EXPECT_NE(recovered.err.find("pipe communication error"), std::string::npos);
}

// A board that goes away ends the poll with its reason and exit status 1; a bridge still attached
// that answers with sequence 0 twice fails one exchange, flagged, and the poll goes on (exit
// status 3). The log keeps its stop marker.
TEST_F(QvmctlFaultTest, PollStopsOnlyWhenTheBoardIsLostAndTheLogKeepsItsStopMarker) {
  std::filesystem::create_directories(folder);
  const std::string log = (folder / "lost.txt").string();
  const struct {
    std::string faults;
    int status;
    std::vector<std::string> reasons;
  } cases[] = {
      {"unplug@40", 1, {"Polling Terminated", "qvmctl: the board was lost after "}},
      {At("seq0", first + 4) + "," + At("seq0", first + 5),
       3,
       {"HID Packet Sync Error Retry 2x", "communication errors were recorded"}},
  };
  for (const auto& c : cases) {
    const CliRun r =
        Qvmctl(With({"poll", "50", "--interval", "0", "--read", "volts", "--log", log}, c.faults));
    EXPECT_EQ(r.status, c.status) << c.faults;
    for (const std::string& reason : c.reasons) {
      EXPECT_NE(r.err.find(reason), std::string::npos) << c.faults << ": " << r.err;
    }
    const std::string text = ReadAll(log);
    const std::size_t last = text.rfind("\r\n", text.size() - 3);
    EXPECT_EQ(text.compare(last + 2, 18, "[Logging Stopped: "), 0) << text.substr(last);
  }
  std::filesystem::remove_all(folder);
}

// Read Volts on three devices is three exchanges per tick (the dropped reply's retry is one
// packet more): faults placed in ticks 2, 5, 7 and 9 mark exactly those rows of the CSV, and the
// run says that errors were recorded.
TEST_F(QvmctlFaultTest, PollCsvMarksExactlyTheAffectedSamples) {
  std::filesystem::create_directories(folder);
  const std::string csv = (folder / "marked.csv").string();
  const std::string faults = At("crc", first + 3 * 2 + 1) + "," + At("nak", first + 3 * 5) + "," +
                             At("drop", first + 3 * 7 + 2) + "," + At("silent", first + 3 * 9 + 1);
  const CliRun r =
      Qvmctl(With({"poll", "10", "--interval", "0", "--read", "volts", "--csv", csv}, faults));
  EXPECT_EQ(r.status, 3) << r.err;
  std::istringstream rows(ReadAll(csv));
  std::string row;
  std::getline(rows, row);
  std::vector<std::string> codes;
  while (std::getline(rows, row)) {
    const std::size_t first = row.find(',');
    const std::size_t second = row.find(',', first + 1);
    codes.push_back(row.substr(second + 1, row.find(',', second + 1) - second - 1));
  }
  const std::vector<std::string> expected = {
      "", "", "CRCErr_", "", "", "NackResponse_", "", "PipeComErr_", "", "NoACK_"};
  EXPECT_EQ(codes, expected);
  std::filesystem::remove_all(folder);
}

// A read-all, a command or a saved configuration that met a failed exchange exits 1 naming the
// devices and codes: the read-all prints "--" for what it did not read, and no configuration
// file appears, not even a partial one.
TEST_F(QvmctlFaultTest, AFailedExchangeFailsTheCommandWithItsDevices) {
  std::filesystem::create_directories(folder);
  const std::string config = (folder / "chain.txt").string();
  const struct {
    std::vector<std::string> args;
    std::string faults;
    std::string reason;
  } cases[] = {
      {{"readall", "volts"},
       At("silent", first),
       "qvmctl: the read failed: QVM52400 device 1 NoACK_, QVM52400 device 2 NoACK_, "
       "QVM52400 device 3 NoACK_\n"},
      {{"--json", "readall", "temps"},
       At("nak", first + 1),
       "qvmctl: the read failed: QVM52400 device 2 NackResponse_\n"},
      {{"command", "scan-all"}, At("crc", first), "qvmctl: the command failed: "},
      {{"save-config", config}, At("silent", first + 4), "not saved: "},
      {{"save-config", config}, At("unplug", first + 4), "not saved: "},
  };
  for (const auto& c : cases) {
    const CliRun r = Qvmctl(With(c.args, c.faults));
    EXPECT_EQ(r.status, 1) << c.faults << ": " << r.err;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << c.faults << ": " << r.err;
    EXPECT_FALSE(std::filesystem::exists(config)) << c.faults;
    EXPECT_FALSE(std::filesystem::exists(config + ".partial")) << c.faults;
  }
  const CliRun silent = Qvmctl(With({"readall", "volts"}, At("silent", first)));
  EXPECT_NE(silent.out.find("      --"), std::string::npos) << silent.out;
  EXPECT_EQ(silent.out.find('.'), std::string::npos) << silent.out;
  const CliRun nak = Qvmctl(With({"--json", "readall", "temps"}, At("nak", first + 1)));
  EXPECT_NE(nak.out.find("\"dev\":2,\"com_errors\":\"NackResponse_\",\"internal\":null,"
                         "\"external\":[null,null,null,null,null,null]}"),
            std::string::npos)
      << nak.out;
  std::filesystem::remove_all(folder);
}

// A connect or a poll that fails ends on the reason the link knows; a board that was found is
// never called "not detected".
TEST_F(QvmctlFaultTest, AFailureSaysWhatTheLinkKnows) {
  const struct {
    std::vector<std::string> args;
    std::string faults;
    std::string reason;
  } cases[] = {
      {{"identify"}, "denied", "EVB detected, but sim:evb cannot be opened: Permission denied"},
      {{"identify"},
       "unplug@1",
       "qvmctl: identify: no device answered: the board was lost: simulated board unplugged\n"},
      {{"poll", "5", "--upr", "--read", "volts"},
       At("silent", first + 1),
       "qvmctl: polling terminated after 1 of 5 ticks: the QVM52400 UPR buffer status was 0x80, "
       "not 0x88\n"},
  };
  for (const auto& c : cases) {
    const CliRun r = Qvmctl(With(c.args, c.faults));
    EXPECT_EQ(r.status, 1) << c.faults;
    EXPECT_NE((r.out + r.err).find(c.reason), std::string::npos) << c.faults << ": " << r.err;
    EXPECT_EQ((r.out + r.err).find("not detected"), std::string::npos) << c.faults;
  }
}

}  // namespace
}  // namespace qvm::cli
