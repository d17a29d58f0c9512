#include <gtest/gtest.h>

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
  EXPECT_NE(r.status, 0);
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
    EXPECT_EQ(loud.out, quiet.out) << name;
    EXPECT_EQ(loud.err.find("Sent:") != std::string::npos, c.connected) << name << loud.err;
    if (c.verbose) EXPECT_NE(loud.err.find("cmd,QVM52400,dev0x"), std::string::npos) << name;
  }
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
