// SPDX-License-Identifier: MIT
#include "config/configuration_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/device_config_read.h"
#include "evb_bench.h"
#include "records/local_file_system.h"

namespace qvm::test {
namespace {

std::vector<std::string> Writes(const RecordingView& view) {
  std::vector<std::string> lines;
  for (const std::string& line : view.LogLines()) {
    if (line.rfind("wrt,", 0) == 0) lines.push_back(line);
  }
  return lines;
}

class ConfigurationFileTest : public ::testing::Test {
 protected:
  explicit ConfigurationFileTest(const std::string& chain = "daisy:52400x3") : bench(chain) {
    bench.Connect(kModeDaisyChain);
    bench.view.log.clear();
    folder = std::filesystem::temp_directory_path() /
             ("qvm-config-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
  }
  ~ConfigurationFileTest() override { std::filesystem::remove_all(folder); }

  std::string Read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  EvbBench bench;
  Session& session = bench.session;
  std::filesystem::path folder;
  LocalFileSystem files;
};

TEST_F(ConfigurationFileTest, SavedFileHoldsABlockPerDevice) {
  session.state.DeviceCount52400 = 2;
  session.image.StoreRead(0, 2, 0x90, 0x1AE1, 1);
  const std::vector<std::string> lines = DeviceConfigLines(session);
  EXPECT_EQ(
      std::count(lines.begin(), lines.end(), "**** Parameters for 52400 at device address 1 ****"),
      1);
  EXPECT_EQ(
      std::count(lines.begin(), lines.end(), "**** Parameters for 52400 at device address 2 ****"),
      1);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "wrt,QVM52400,dev0x01,cat0x0A,adr0x03,dat0x0000"),
            lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "wrt,QVM52400,dev0x02,cat0x0A,adr0x10,dat0x1AE1"),
            lines.end());
  // Single-device mode saves device 1 alone.
  session.state.DaisyChainMode = false;
  const std::vector<std::string> single = DeviceConfigLines(session);
  EXPECT_EQ(std::count(single.begin(), single.end(), std::string("")), 1);
}

TEST_F(ConfigurationFileTest, BalanceBanksAreWrittenAfterTheirSelectionAndTheSetupRestored) {
  session.state.DeviceCount52400 = 1;
  session.image.StoreRead(0, 1, 0x93, 0x0205, 1);
  session.state.BalanceStatusImage[1][3] = 0x0123;
  const std::vector<std::string> lines = DeviceConfigLines(session);
  const auto bank3 =
      std::find(lines.begin(), lines.end(), "wrt,QVM52400,dev0x01,cat0x0A,adr0x13,dat0x0265");
  ASSERT_NE(bank3, lines.end());
  EXPECT_EQ(*(bank3 + 1), "wrt,QVM52400,dev0x01,cat0x0A,adr0x14,dat0x0123");
  const auto restore = std::find(lines.begin(), lines.end(), "52400 Balance Setup Register");
  ASSERT_NE(restore, lines.end());
  EXPECT_EQ(*(restore + 1), "wrt,QVM52400,dev0x01,cat0x0A,adr0x13,dat0x0205");
}

TEST_F(ConfigurationFileTest, AllDevicesLineWritesEachDeviceInOrder) {
  EXPECT_EQ(ParseConfigFile(session, "WRT,qvm52400,ALL,CAT0X0A,ADR0X10,DAT0X1234\r\n"), 3);
  EXPECT_EQ(Writes(bench.view),
            (std::vector<std::string>{"wrt,QVM52400,dev0x01,cat0x0A,adr0x10,dat0x1234",
                                      "wrt,QVM52400,dev0x02,cat0x0A,adr0x10,dat0x1234",
                                      "wrt,QVM52400,dev0x03,cat0x0A,adr0x10,dat0x1234"}));
  EXPECT_EQ(bench.evb.chain->Device(0, 3).Read(0x90), 0x1234);
  EXPECT_EQ(session.image.at(0, 2, 0x90), 0x1234);
}

TEST_F(ConfigurationFileTest, WritabilityIsTheWrittenDevicesOwnWhateverTypeIsSelected) {
  // The companion's table does not let 0x90 be written; the primary's does.
  session.model.type[1].RegKind[0x90] = kKindReadOnly;
  session.state.SelectedDeviceType = 1;
  EXPECT_EQ(ParseConfigFile(session, "wrt,QVM52400,dev0x02,cat0x0A,adr0x10,dat0x1234\r\n"), 1);
  EXPECT_EQ(bench.evb.chain->Device(0, 2).Read(0x90), 0x1234);
  EXPECT_EQ(session.image.at(0, 2, 0x90), 0x1234);
  EXPECT_EQ(Writes(bench.view).size(), 1u);
}

TEST_F(ConfigurationFileTest, LoadSummarisesItsWritesAndRemembersItsFolder) {
  const std::string path = (folder / "mixed.txt").string();
  std::ofstream(path, std::ios::binary) << "**** Parameters for 52400 at device address 1 ****\r\n"
                                           "52400 Setup Registers\r\n"
                                           "wrt,QVM52400,ALL,cat0x0A,adr0x10,dat0x1234\r\n"
                                           "wrt,QVM52400,dev0x02,cat0x09,adr0x12,dat0x1234\r\n"
                                           "wrt,QVM99999,dev0x01,cat0x0A,adr0x10,dat0x1234\r\n"
                                           "wrt,QVM52400,dev0xZZ,cat0x0A,adr0x10,dat0x1234\r\n"
                                           "wrt,QVM52400,dev0x0F,cat0x0A,adr0x10,dat0x1234\r\n"
                                           "\r\n";
  bench.host.fileAnswers = {path, path};
  EXPECT_EQ(LoadDeviceConfig(session, "LoadDeviceConfig", "/home/user/Documents"), path);
  const auto lines = bench.view.LogLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(),
            "LoadDeviceConfig: 4 register writes, 5 lines skipped (2 not register lines, 1 of "
            "another part, 1 malformed, 1 not writable)");
  EXPECT_EQ(LoadDeviceConfig(session, "LoadDeviceConfig", "/home/user/Documents"), path);
  EXPECT_EQ(bench.host.openFolders,
            (std::vector<std::string>{"/home/user/Documents", folder.string()}));
  EXPECT_EQ(ConfigLoadLine("LoadDeviceEE", {}), "LoadDeviceEE: 0 register writes, 0 lines skipped");
}

TEST_F(ConfigurationFileTest, MalformedAndForeignLinesAreSkipped) {
  const char* text =
      "header line\r\n"
      "wrt,QVM52400,dev0x1,cat0x0A,adr0x10,dat0x1234\r\n"   // one device digit
      "wrt,QVM52400,dev0xZZ,cat0x0A,adr0x10,dat0x1234\r\n"  // not hexadecimal
      "wrt,QVM52401,ALL,cat0x0A,adr0x03,dat0x0001\r\n"      // no companion on the chain
      "wrt,QVM99999,dev0x01,cat0x0A,adr0x10,dat0x1234\r\n"  // unknown part
      "wrt,QVM52400,dev0x01,cat0x09,adr0x12,dat0x1234\r\n"  // read-only register
      "wrt,QVM52400,dev0x01,cat0x0A,adr0x10\r\n"            // five fields
      "\r\n";
  EXPECT_EQ(ParseConfigFile(session, text), 0);
  EXPECT_TRUE(Writes(bench.view).empty());
  // A file with bare line feeds is read too.
  EXPECT_EQ(ParseConfigFile(session, "cmd,QVM52400,dev0x02,cat0x0A,adr0x10,dat0x15\n"), 1);
  EXPECT_EQ(bench.evb.chain->Device(0, 2).Read(0x90), 0x15);
}

// A write line for a part in use whose numbers do not fit their fields, or a write line the
// file ends in the middle of, refuses the whole file at its line: nothing of it is sent.
TEST_F(ConfigurationFileTest, AWriteLineThatCannotBeSentRefusesTheWholeFile) {
  const std::string good = "wrt,QVM52400,dev0x01,cat0x0A,adr0x10,dat0x1234\r\n";
  const struct {
    std::string bad;
    std::string reason;
  } cases[] = {
      {"wrt,QVM52400,dev0x10,cat0x0A,adr0x10,dat0x1234\r\n",
       "dev0x10: the device must be 0x00 to 0x0F or ALL"},
      {"wrt,QVM52400,ALL,cat0x1A,adr0x10,dat0x1234\r\n",
       "cat0x1A: the category must be 0x00 to 0x0F"},
      {"WRT,qvm52400,DEV0X02,CAT0X0A,ADR0X40,DAT0X1234\r\n",
       "ADR0X40: the address must be 0x00 to 0x3F"},
      {"wrt,QVM52400,dev0x02,cat0x0A,adr0x10,dat0x7FFF\r\n",
       "dat0x7FFF: the data must be 0x0000 to 0x3FFF"},
      {"wrt,QVM52400,dev0x02,cat0x0A,adr0x10,dat0x12",
       "the file ends in the middle of a write line"},
      {"cmd,QVM52400,dev0", "the file ends in the middle of a write line"},
  };
  for (const auto& c : cases) {
    bench.view.log.clear();
    // A good line follows every bad one that has its line end.
    const std::string after = c.bad.back() == '\n' ? good : "";
    const ConfigReplay replay = ReplayConfigFile(session, "header\r\n" + good + c.bad + after);
    ASSERT_TRUE(replay.refused) << c.bad;
    EXPECT_EQ(replay.refused->line, 3) << c.bad;
    EXPECT_EQ(replay.refused->reason, c.reason);
    EXPECT_EQ(replay.writes, 0);
    EXPECT_TRUE(Writes(bench.view).empty()) << c.bad;
    EXPECT_NE(bench.evb.chain->Device(0, 1).Read(0x90), 0x1234);
    EXPECT_EQ(session.image.at(0, 1, 0x90), 0);
  }
  // The same numbers for another part, and a last line that is whole without its line end,
  // are no reason to refuse.
  const ConfigReplay loaded = ReplayConfigFile(session,
                                               "wrt,QVM99999,dev0x10,cat0x1A,adr0x40,dat0x7FFF\r\n"
                                               "wrt,QVM52400,dev0x02,cat0x0A,adr0x10,dat0x0123");
  EXPECT_FALSE(loaded.refused);
  EXPECT_EQ(loaded.writes, 1);
  EXPECT_EQ(ConfigRefusalText("/tmp/a.txt", {7, "why"}),
            "/tmp/a.txt:7: why; nothing of the file was written");
}

TEST_F(ConfigurationFileTest, ARefusedLoadIsLoggedAndShownWithFileAndLine) {
  const std::string path = (folder / "bad.txt").string();
  std::ofstream(path, std::ios::binary) << "wrt,QVM52400,dev0x01,cat0x0A,adr0x10,dat0x1234\r\n"
                                           "wrt,QVM52400,dev0x01,cat0x0A,adr0x40,dat0x1234\r\n";
  bench.host.fileAnswers = {path};
  EXPECT_EQ(LoadDeviceConfig(session), "");
  const std::string refusal =
      path + ":2: adr0x40: the address must be 0x00 to 0x3F; nothing of the file was written";
  EXPECT_EQ(bench.view.LogLines().back(), "LoadDeviceConfig: " + refusal);
  ASSERT_EQ(bench.host.messages.size(), 1u);
  EXPECT_EQ(bench.host.messages[0].text, refusal);
  EXPECT_TRUE(Writes(bench.view).empty());
}

// Values never read are read from the devices first when the user agrees: the file holds what
// the devices hold and loads back without a rejected line.
TEST_F(ConfigurationFileTest, SavedFileReadsTheDevicesFirstAndLoadsBackWithoutARejectedLine) {
  RecordChannel channel(kConfigExportChannel, bench.host, files, session.bridge.MessageTitle);
  const std::string path = (folder / "chain.txt").string();
  for (int device = 1; device <= 3; ++device) {
    bench.evb.chain->Device(0, device).Write(0x90, 0x1000 + device);
  }
  bench.host.yesNoAnswers = {true};
  bench.host.fileAnswers = {path};
  ASSERT_TRUE(SaveDeviceConfig(session, channel));
  EXPECT_EQ(bench.host.yesNoPrompts.size(), 1u);
  EXPECT_TRUE(UnknownConfigValues(session).empty());
  const std::string text = Read(path);
  EXPECT_NE(text.find("\r\nwrt,QVM52400,dev0x03,cat0x0A,adr0x10,dat0x1003\r\n"), std::string::npos);
  // A register holds 14 bits; whatever the image holds above them is not saved.
  session.image.StoreWritten(0, 2, 0x95, static_cast<std::int16_t>(0x4001));
  const std::string again = (folder / "again.txt").string();
  bench.host.fileAnswers = {again};
  ASSERT_TRUE(SaveDeviceConfig(session, channel));
  EXPECT_EQ(bench.host.yesNoPrompts.size(), 1u);
  EXPECT_NE(Read(again).find("\r\nwrt,QVM52400,dev0x02,cat0x0A,adr0x15,dat0x0001\r\n"),
            std::string::npos);

  for (int device = 1; device <= 3; ++device) bench.evb.chain->Device(0, device).Write(0x90, 0);
  bench.view.log.clear();
  bench.host.fileAnswers = {path};
  EXPECT_EQ(LoadDeviceConfig(session), path);
  std::size_t lines = 0;
  for (std::size_t at = text.find("\nwrt,"); at != std::string::npos;
       at = text.find("\nwrt,", at + 1)) {
    ++lines;
  }
  EXPECT_EQ(Writes(bench.view).size(), lines);
  EXPECT_EQ(bench.evb.chain->Device(0, 3).Read(0x90), 0x1003);
}

// Declining the read, or a device that does not answer it, leaves no file.
TEST_F(ConfigurationFileTest, ValuesNotKnownAreNeverSaved) {
  RecordChannel channel(kConfigExportChannel, bench.host, files, session.bridge.MessageTitle);
  const std::string path = (folder / "unread.txt").string();
  for (const bool agree : {false, true}) {
    bench.evb.chain->Faults().silentChain = sim::kAlways;
    bench.host.messages.clear();
    bench.host.yesNoAnswers = {agree};
    bench.host.fileAnswers = {path};
    EXPECT_FALSE(SaveDeviceConfig(session, channel));
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_FALSE(bench.host.messages.empty());
    const std::string& said = bench.host.messages.back().text;
    EXPECT_NE(said.find("Save Device Configuration cancelled"), std::string::npos) << said;
    EXPECT_EQ(said.find("could not be read") != std::string::npos, agree) << said;
  }
}

TEST_F(ConfigurationFileTest, SaveEepromCountsOnePrimaryDeviceAndCancelSaysSo) {
  RecordChannel channel(kConfigExportChannel, bench.host, files, session.bridge.MessageTitle);
  EXPECT_FALSE(SaveEeTestRegs(session, channel));
  ASSERT_EQ(bench.host.messages.size(), 1u);
  EXPECT_EQ(bench.host.messages[0].text,
            "Save Device EE_Test cancelled, configuration file not created.");
  EXPECT_EQ(session.state.DeviceCount52400, 3);

  session.image.StoreRead(0, 1, 0x100 + 5, 0x0ABC, 1);
  bench.host.fileAnswers = {(folder / "ee.txt").string()};
  EXPECT_TRUE(SaveEeTestRegs(session, channel));
  EXPECT_EQ(session.state.DeviceCount52400, 1);
  const std::string text = Read((folder / "ee.txt").string());
  EXPECT_NE(text.find("**** Parameters for 52400 at device address EEPROM1 ****"),
            std::string::npos);
  EXPECT_NE(text.find("wrt,QVM52400,dev0x01,cat0x0C,adr0x05,dat0x0ABC"), std::string::npos);
  EXPECT_NE(text.find("wrt,QVM52400,dev0x01,cat0x0D,adr0x17,dat0x0000"), std::string::npos);
}

TEST_F(ConfigurationFileTest, UnreadableFileIsReported) {
  bench.host.fileAnswers = {(folder / "missing.txt").string()};
  EXPECT_EQ(LoadDeviceConfig(session, "LoadDeviceEE"), "");
  ASSERT_EQ(bench.host.messages.size(), 1u);
  EXPECT_EQ(bench.host.messages[0].text.rfind("LoadDeviceEE failed due to the following:\r\n", 0),
            0u);
}

}  // namespace
}  // namespace qvm::test
