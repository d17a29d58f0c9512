// SPDX-License-Identifier: MIT
#include "model/tab_definition_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace qvm {
namespace {

class TabDefinitionFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() /
             ("qvm_tabdefs_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
              "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  std::filesystem::path folder;
};

TEST_F(TabDefinitionFileTest, PathMapsTheLeadingBackslashToTheSeparator) {
  EXPECT_EQ(TabDefinitionPath("/opt/qvm", "\\tabdefs_QVM52400_RevA.csv"),
            "/opt/qvm/tabdefs_QVM52400_RevA.csv");
  EXPECT_EQ(TabDefinitionPath("/opt/qvm/", "\\tabdefs_QVM38817_RevA.csv"),
            "/opt/qvm/tabdefs_QVM38817_RevA.csv");
}

TEST_F(TabDefinitionFileTest, ReadsTheWholeFileBytesAsTheyStand) {
  const std::string content = "TABNAME,MAIN\r\nREG,&H40,Vbat,0\r\n\r\nlast";
  std::ofstream(folder / "tabdefs.csv", std::ios::binary) << content;
  const auto loaded = LoadTabDefinitionFile(folder.string(), "\\tabdefs.csv");
  ASSERT_EQ(loaded.status, TabDefFileText::Status::Loaded) << loaded.message;
  EXPECT_EQ(loaded.text, content);
  EXPECT_EQ(loaded.path, (folder / "tabdefs.csv").string());
  EXPECT_TRUE(loaded.message.empty());
}

TEST_F(TabDefinitionFileTest, MissingFileGivesTheNotFoundTexts) {
  const auto loaded = LoadTabDefinitionFile(folder.string(), "\\absent.csv");
  const std::string path = (folder / "absent.csv").string();
  EXPECT_EQ(loaded.status, TabDefFileText::Status::Missing);
  EXPECT_EQ(loaded.message, "Configuration file " + path + "   not found.");
  EXPECT_EQ(loaded.logLine, "ParseTabsefsCreateTabs: Configuration file " + path + "  not found.");
  EXPECT_TRUE(loaded.text.empty());
}

TEST_F(TabDefinitionFileTest, InstalledDataFolderServesWhenNothingLiesBesideTheProgram) {
  // An installation: the program in bin/, its data in share/qvm/.
  std::filesystem::create_directories(folder / "bin");
  std::filesystem::create_directories(folder / "share" / "qvm");
  std::ofstream(folder / "share" / "qvm" / "tabdefs.csv", std::ios::binary) << "installed";
  auto loaded = LoadTabDefinitionFile((folder / "bin").string(), "\\tabdefs.csv");
  ASSERT_EQ(loaded.status, TabDefFileText::Status::Loaded) << loaded.message;
  EXPECT_EQ(loaded.text, "installed");

  // A file beside the program comes first.
  std::ofstream(folder / "bin" / "tabdefs.csv", std::ios::binary) << "beside";
  loaded = LoadTabDefinitionFile((folder / "bin").string(), "\\tabdefs.csv");
  EXPECT_EQ(loaded.text, "beside");
  EXPECT_EQ(loaded.path, (folder / "bin" / "tabdefs.csv").string());
}

TEST_F(TabDefinitionFileTest, DirectoryInPlaceOfTheFileIsUnreadable) {
  std::filesystem::create_directory(folder / "tabdefs.csv");
  const auto loaded = LoadTabDefinitionFile(folder.string(), "\\tabdefs.csv");
  EXPECT_EQ(loaded.status, TabDefFileText::Status::Unreadable);
  EXPECT_NE(loaded.message.find("could not be read"), std::string::npos);
  EXPECT_NE(loaded.message.find(loaded.path), std::string::npos);
}

}  // namespace
}  // namespace qvm
