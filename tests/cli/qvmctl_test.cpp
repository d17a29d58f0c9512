// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>

#include "cli/cli_host.h"
#include "core/number_text.h"
#include "run_qvmctl.h"

namespace qvm::cli {
namespace {

TEST(QvmctlEncodeTest, PrintsDaisyAndSingleFrames) {
  CliRun r =
      Qvmctl({"encode", "--daisy", "--dev", "2", "--cat", "9", "--adr", "0x10", "--dat", "0x3FFF"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "29 43 FF F5\n");

  r = Qvmctl({"encode", "--daisy", "--dev", "1", "--cat", "3", "--adr", "18", "--dat", "0"});
  EXPECT_EQ(r.out, "13 48 0C\n");

  r = Qvmctl({"encode", "--single", "--cat", "9", "--adr", "0x10", "--dat", "0x3FFF"});
  EXPECT_EQ(r.out, "94 3F FF\n");

  // A read carries only the low six data bits.
  r = Qvmctl({"encode", "--single", "--cat", "1", "--adr", "0x10", "--dat", "0x3FFF"});
  EXPECT_EQ(r.out, "14 3F\n");
}

TEST(QvmctlEncodeTest, RefusesBadNumbersAndMissingMode) {
  CliRun r = Qvmctl({"encode", "--daisy", "--cat", "16", "--adr", "1", "--dat", "0"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--cat"), std::string::npos);
  EXPECT_TRUE(r.out.empty());

  r = Qvmctl({"encode", "--daisy", "--cat", "1", "--adr", "0x", "--dat", "0"});
  EXPECT_EQ(r.status, 2);

  r = Qvmctl({"encode", "--cat", "1", "--adr", "1", "--dat", "0"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--daisy or --single"), std::string::npos);

  r = Qvmctl({"encode", "--daisy", "--single", "--cat", "1", "--adr", "1", "--dat", "0"});
  EXPECT_EQ(r.status, 2);
}

// A malformed command line exits 2 with a one-line reason on the error stream and nothing on
// the output stream, whatever is wrong with it; --help is no error.
TEST(QvmctlCommandLineTest, MalformedCommandLinesExitTwoWithAOneLineReason) {
  const struct {
    std::vector<std::string> args;
    std::string reason;
  } cases[] = {
      {{}, "A subcommand is required"},
      {{"frobnicate"}, "A subcommand is required"},
      {{"--sim", "daisy:52400x3", "--bogus", "identify"}, "--bogus"},
      {{"--sim", "daisy:52400x3", "read", "1", "2"}, "ADR is required"},
      {{"--sim", "daisy:52400x3", "read", "1", "2", "3", "4"}, "not expected: 4"},
      {{"--sim", "daisy:52400x3", "read", "16", "2", "4"}, "DEV: must be a number from 0 to 15"},
      {{"--sim", "daisy:52400x3", "write", "1", "2", "22", "0x4000"}, "VALUE: must be a number"},
      {{"--sim", "daisy:52400x3", "read", "1", "2", "4", "--type", "x"}, "--type: must be"},
      {{"--sim", "daisy:52400x3", "--stack", "15", "identify"}, "--stack: must be a number"},
      {{"--sim", "daisy:52400x3", "--stack", "2", "--stack", "3", "identify"}, "--stack"},
      {{"--sim", "daisy:52400x3", "--family", "52402", "identify"}, "--family: 52402"},
      {{"--sim", "daisy:52400x3", "--sim-seed", "x", "identify"}, "--sim-seed: must be"},
      {{"--sim", "daisy:52400x3", "poll", "0"}, "N: must be a number from 1"},
      {{"--sim", "daisy:52400x3", "poll", "--duration", "0"}, "--duration: must be a number"},
      {{"--sim", "daisy:52400x3", "send", "--adr", "1"}, "--cat is required"},
      {{"--sim", "daisy:52400x3", "poll", "2", "--interval", "60001"}, "--interval: must be"},
      {{"--sim", "daisy:52400x3", "poll", "2", "--reconnect", "-1"}, "--reconnect: must be"},
      {{"--sim", "daisy:52400x3", "poll", "2", "--scan", "nothing"}, "--scan takes"},
      {{"--sim", "daisy:52400x3", "readall", "pressures"}, "readall takes"},
      {{"--sim", "daisy:52400x3", "command", "explode"}, "command takes"},
      {{"encode", "--daisy", "--cat", "1", "--adr", "1"}, "--dat is required"},
  };
  for (const auto& c : cases) {
    const CliRun r = Qvmctl(c.args);
    const std::string line = c.args.empty() ? "" : c.args.back();
    EXPECT_EQ(r.status, 2) << line << ": " << r.err;
    EXPECT_EQ(r.out, "") << line;
    EXPECT_EQ(r.err.rfind("qvmctl: ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
  }
  for (const std::vector<std::string>& help :
       {std::vector<std::string>{"--help"}, std::vector<std::string>{"read", "--help"}}) {
    const CliRun r = Qvmctl(help);
    EXPECT_EQ(r.status, 0) << help[0];
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("Usage:"), std::string::npos) << r.out;
  }
}

// Standard output carries the command's result alone: the SPI frames (--frames) and the
// activity log (-v) go to the error stream, so the output is the same with and without them.
TEST(QvmctlStreamsTest, FramesAndActivityLogGoToTheErrorStream) {
  const struct {
    std::vector<std::string> args;
    bool verbose;    // the subcommand takes -v
    bool connected;  // the subcommand talks to the board
  } cases[] = {
      {{"--json", "identify"}, false, true},
      {{"identify"}, false, true},
      {{"--json", "read", "2", "2", "4"}, true, true},
      {{"read", "2", "2", "4"}, true, true},
      {{"--json", "readall", "volts", "--scan"}, true, true},
      {{"readall", "temps"}, true, true},
      {{"poll", "2", "--interval", "0", "--read", "volts"}, true, true},
      {{"--json", "boards"}, false, false},
      {{"encode", "--daisy", "--cat", "9", "--adr", "0x10", "--dat", "0x3FFF"}, false, false},
  };
  for (const auto& c : cases) {
    std::vector<std::string> plain = {"--sim", "daisy:52400x3"};
    plain.insert(plain.end(), c.args.begin(), c.args.end());
    std::vector<std::string> traced = plain;
    traced.insert(traced.begin(), "--frames");
    if (c.verbose) traced.push_back("-v");
    const CliRun quiet = Qvmctl(plain);
    const CliRun loud = Qvmctl(traced);
    const std::string name = c.args[0] == "--json" ? c.args[1] : c.args[0];
    EXPECT_EQ(loud.status, 0) << name << ": " << loud.err;
    // Poll ticks carry the time they ran.
    const std::regex time(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)");
    EXPECT_EQ(std::regex_replace(loud.out, time, "T"), std::regex_replace(quiet.out, time, "T"))
        << name;
    EXPECT_EQ(loud.err.find("Sent:") != std::string::npos, c.connected) << name << loud.err;
    if (c.verbose) {
      EXPECT_NE(loud.err.find("cmd,QVM52400,dev0x"), std::string::npos) << name;
    }
  }
}

// A message that comes again and again is printed once; the count that follows names it, since
// other lines may have come in between.
TEST(QvmctlStreamsTest, TheRepeatCountNamesTheMessageItCounts) {
  std::ostringstream err;
  {
    CliHost host(err);
    host.ShowMessage("qvmctl", "HID Packet Sync Error Retry 2x");
    err << "communication error: pipe communication error\n";
    host.ShowMessage("qvmctl", "HID Packet Sync Error Retry 2x");
    host.ShowMessage("qvmctl", "HID Packet Sync Error Retry 2x");
    host.ShowMessage("qvmctl", "Another\r\nof two lines");
    host.ShowMessage("qvmctl", "Another\r\nof two lines");
  }
  EXPECT_EQ(err.str(),
            "qvmctl: HID Packet Sync Error Retry 2x\n"
            "communication error: pipe communication error\n"
            "(\"qvmctl: HID Packet Sync Error Retry 2x\" came 2 more times)\n"
            "qvmctl: Another\nof two lines\n"
            "(\"qvmctl: Another\" came 1 more times)\n");
}

TEST(NumberTextTest, ReadsDecimalAndPrefixedHexadecimal) {
  EXPECT_EQ(ParseNumberText("16", 63), 16u);
  EXPECT_EQ(ParseNumberText("0x10", 63), 16u);
  EXPECT_EQ(ParseNumberText("0X3f", 63), 63u);
  EXPECT_FALSE(ParseNumberText("64", 63));
  EXPECT_FALSE(ParseNumberText("", 63));
  EXPECT_FALSE(ParseNumberText("-1", 63));
  EXPECT_FALSE(ParseNumberText("12abc", 63));
  EXPECT_FALSE(ParseNumberText("0x", 63));
}

}  // namespace
}  // namespace qvm::cli
