// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <sstream>

#include "core/utc_time.h"
#include "core/version.h"
#include "run_qvmctl.h"
#include "sim/bridge/simulated_board.h"

namespace qvm::cli {
namespace {

const std::vector<std::string> kChain = {"--sim", "daisy:52400x3"};

std::vector<std::string> OnChain(std::vector<std::string> args) {
  args.insert(args.begin(), kChain.begin(), kChain.end());
  return args;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(QvmctlConventionTest, VersionAndHelpNameTheProgramAndTheExitStatuses) {
  const CliRun version = Qvmctl({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "qvmctl " + ProgramVersion() + "\n");
  EXPECT_TRUE(std::regex_match(ProgramVersion(), std::regex(R"(\d+\.\d+\.\d+)")));

  const struct {
    std::vector<std::string> args;
    std::string usage;
  } helps[] = {
      {{"--help"}, "Usage: qvmctl [OPTIONS] SUBCOMMAND"},
      {{"read", "--help"}, "Usage: qvmctl read [OPTIONS] DEV PAGE ADR"},
      {{"send", "--help"}, "Usage: qvmctl send [OPTIONS]"},
  };
  for (const auto& help : helps) {
    const CliRun r = Qvmctl(help.args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind(help.usage, 0), 0u) << r.out;
  }
  const std::string main = Qvmctl({"--help"}).out;
  for (const char* status : {"Exit status:", "\n  0 ", "\n  1 ", "\n  2 ", "\n  3 ", "128+N"}) {
    EXPECT_NE(main.find(status), std::string::npos) << status;
  }
}

// Global options work the same before and after the subcommand.
TEST(QvmctlConventionTest, GlobalOptionsMayFollowTheSubcommand) {
  const struct {
    std::vector<std::string> before;
    std::vector<std::string> after;
  } cases[] = {
      {{"--sim", "daisy:52400x3", "--json", "readall", "volts", "--scan"},
       {"readall", "volts", "--scan", "--json", "--sim", "daisy:52400x3"}},
      {{"--sim", "daisy:52400x2", "--stack", "3", "identify"},
       {"identify", "--sim", "daisy:52400x2", "--stack", "3"}},
      {{"--sim", "daisy:52400x3", "--json", "read", "2", "2", "0x10"},
       {"--sim", "daisy:52400x3", "read", "2", "--json", "2", "0x10"}},
  };
  for (const auto& c : cases) {
    const CliRun before = Qvmctl(c.before);
    const CliRun after = Qvmctl(c.after);
    EXPECT_EQ(after.status, before.status) << c.after[0] << ": " << after.err;
    EXPECT_EQ(after.out, before.out) << c.after[0];
    EXPECT_FALSE(after.out.empty()) << c.after[0];
  }
}

TEST(QvmctlConventionTest, BoardIsChosenByNumberSerialOrDeviceNode) {
  const struct {
    std::vector<std::string> extra;  // after the chain
    int status;
    std::string reason;
  } cases[] = {
      {{"--board", "0"}, 0, ""},
      {{"--board", sim::SimulatedBoard::kSerial}, 0, ""},
      {{"--board", "sim:evb"}, 0, ""},
      {{"--board", "1"}, 1, "no bridge board has the number, serial number or device node 1"},
      {{"--board", "/dev/hidraw9"}, 1, "no bridge board"},
      {{"--board", "sim:evb", "--sim-faults", "denied"}, 1, "sim:evb is attached but cannot"},
      {{"--board", "0", "--sim-faults", "denied"}, 1, "sim:evb is attached but cannot"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = kChain;
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    args.insert(args.end(), {"--json", "identify"});
    const CliRun r = Qvmctl(args);
    EXPECT_EQ(r.status, c.status) << c.extra[1] << ": " << r.err;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    EXPECT_EQ(r.out, c.status == 0 ? "{\"QVM52400\":3}\n" : "") << c.extra[1];
  }
}

// Without --json every tick prints one line with its time and readings; a duration ends the
// run as a count does.
TEST(QvmctlConventionTest, PollPrintsALinePerTickAndStopsAfterItsDuration) {
  const CliRun r = Qvmctl(OnChain({"poll", "--duration", "1", "--interval", "100", "--scan", "all",
                                   "--read", "volts", "--read", "faults"}));
  EXPECT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_GE(lines.size(), 4u) << r.out;
  const std::size_t ticks = lines.size() - 1;
  EXPECT_LE(ticks, 11u);
  EXPECT_EQ(lines.back(),
            std::to_string(ticks) + " ticks, " + std::to_string(ticks) + " chart samples");
  const std::regex tick(
      R"(tick (\d+) \d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z errors - \| volts QVM52400 1: VBAT \d+\.\d{4} C1 \d\.\d{4} .*)");
  for (std::size_t i = 0; i < ticks; ++i) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[i], match, tick)) << lines[i];
    EXPECT_EQ(match[1], std::to_string(i + 1));
    EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), '|'), 6) << lines[i];
  }

  // A count that comes first ends it too.
  const CliRun counted = Qvmctl(OnChain({"poll", "2", "--duration", "60", "--interval", "0"}));
  EXPECT_EQ(counted.status, 0);
  EXPECT_EQ(Lines(counted.out).size(), 3u) << counted.out;
}

TEST(QvmctlConventionTest, SendPrintsTheFrameAndTheReply) {
  const CliRun read = Qvmctl(OnChain({"send", "--dev", "2", "--cat", "2", "--adr", "0x10"}));
  const CliRun encoded =
      Qvmctl({"encode", "--daisy", "--dev", "2", "--cat", "2", "--adr", "0x10", "--dat", "0"});
  const CliRun value = Qvmctl(OnChain({"read", "2", "2", "0x10"}));
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.out, "sent " + encoded.out + "reply " + value.out);

  const CliRun write = Qvmctl(
      OnChain({"--json", "send", "--dev", "2", "--cat", "0xA", "--adr", "22", "--dat", "0x1234"}));
  EXPECT_EQ(write.status, 0) << write.err;
  EXPECT_NE(write.out.find("\"write\":true,\"value\":null}"), std::string::npos) << write.out;

  // Refused before anything is sent.
  const struct {
    std::vector<std::string> args;
    std::string reason;
  } refusals[] = {
      {{"--cat", "2", "--adr", "4", "--type", "1"}, "is present; nothing was sent"},
      {{"--cat", "9", "--adr", "0x10"}, "not writable; nothing was sent"},
  };
  for (const auto& f : refusals) {
    std::vector<std::string> args = OnChain({"send", "--dev", "2"});
    args.insert(args.end(), f.args.begin(), f.args.end());
    const CliRun r = Qvmctl(args);
    EXPECT_EQ(r.status, 1) << f.reason;
    EXPECT_EQ(r.out, "") << f.reason;
    EXPECT_NE(r.err.find(f.reason), std::string::npos) << r.err;
  }
}

TEST(UtcTimeTextTest, WritesIsoUtcWithMilliseconds) {
  using namespace std::chrono;
  const struct {
    std::int64_t ms;
    const char* text;
  } cases[] = {
      {0, "1970-01-01T00:00:00.000Z"},
      {1'796'836'803'042, "2026-12-09T17:20:03.042Z"},
      {951'868'799'999, "2000-02-29T23:59:59.999Z"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UtcTimeText(system_clock::time_point(milliseconds(c.ms))), c.text);
  }
}

}  // namespace
}  // namespace qvm::cli
