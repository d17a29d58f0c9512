// SPDX-License-Identifier: MIT
#include "model/tab_definition_check.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace qvm {
namespace {

// The shipped primary file, damaged in one way per case, must be refused with the file, the
// line and what is wrong; the shipped files themselves pass.
class TabDefinitionCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shipped = LoadTabDefinitionFile(QVM_DATA_DIR, "\\tabdefs_QVM52400_RevA.csv");
    ASSERT_EQ(shipped.status, TabDefFileText::Status::Loaded) << shipped.message;
  }

  TabDefParseResult Parse(const std::string& text) {
    TabDefFileText file = shipped;
    file.text = text;
    return ParseTabDefinitionFile(file, *model, *image, state);
  }

  // The shipped text with `from` replaced by `to` (which must be found).
  std::string Damaged(const std::string& from, const std::string& to) const {
    std::string text = shipped.text;
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
  }

  TabDefFileText shipped;
  std::unique_ptr<RegisterModel> model = std::make_unique<RegisterModel>();
  std::unique_ptr<RegisterImage> image = std::make_unique<RegisterImage>();
  SharedState state;
};

TEST_F(TabDefinitionCheckTest, ShippedFilesPass) {
  for (const char* name : {"\\tabdefs_QVM52400_RevA.csv", "\\tabdefs_QVM38817_RevA.csv"}) {
    const TabDefFileText file = LoadTabDefinitionFile(QVM_DATA_DIR, name);
    const TabDefParseResult result = ParseTabDefinitionFile(file, *model, *image, state);
    EXPECT_TRUE(result.ok) << result.errorText;
  }
}

TEST_F(TabDefinitionCheckTest, BrokenFilesAreRefusedNamingFileLineAndWhat) {
  std::string lfOnly = shipped.text;
  for (auto at = lfOnly.find("\r\n"); at != std::string::npos; at = lfOnly.find("\r\n", at)) {
    lfOnly.erase(at, 1);
  }
  std::string companionDamaged = shipped.text;
  const auto companion =
      companionDamaged.find("REG,&H84,Fault Status,1", shipped.text.find("BEGIN52401"));
  companionDamaged.replace(companion, 23, "REG,&H84,Fault Status,2");
  const std::string truncated = shipped.text.substr(0, shipped.text.find("REG,&H50,"));
  const struct {
    const char* what;
    std::string text;
    int line;
    std::string expected;
  } cases[] = {
      {"bare LF line ends", lfOnly, 1,
       "has no MAIN page (TABNAME,MAIN) (its lines must end in CR LF"},
      {"garbage", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), 2, "has no MAIN page"},
      {"truncated", truncated, 7, "register &H50 of QVM52400 is not defined; the decoders need it"},
      {"damaged scale", Damaged("Cell 1,V,0.000610352", "Cell 1,V,0.371"), 14,
       "register &H41 (Cell 1 Voltage) of QVM52400 has the scale 0.371, which is not usable"},
      {"scale lost", Damaged("Vbat,V,0.0036621", "Vbat,V,"), 13,
       "REG field 6 (scale) is \"\", which is not a number"},
      {"word for a number", Damaged("TINT25,9217", "TINT25,hot"), 6,
       "TINT25 field 1 (raw reading at 25 degC) is \"hot\", which is not a number"},
      {"scale not a number", Damaged("Cell 1,V,0.000610352", "Cell 1,V,nan"), 14,
       "REG field 6 (scale) is \"nan\", which is not a number"},
      {"damaged kind", Damaged("REG,&H44,Cell 4 Voltage,0,", "REG,&H44,Cell 4 Voltage,2,"), 17,
       "register &H44 (Cell 4 Voltage) of QVM52400 has kind 2; the MAIN and MONITOR pages need"},
      {"block read lost", Damaged("REG,&H4F,Read All Voltages,5", "REG,&H4F,Read All Voltages,0"),
       27, "needs it as a block read (kind 5)"},
      {"companion fault register damaged", companionDamaged, 238,
       "register &H84 (Fault Status) of QVM52401 has kind 2"},
  };
  for (const auto& c : cases) {
    const TabDefParseResult result = Parse(c.text);
    EXPECT_FALSE(result.ok) << c.what;
    EXPECT_EQ(result.errorLine, c.line) << c.what << ": " << result.errorText;
    EXPECT_EQ(
        result.errorText.rfind(
            "Tab definition file " + shipped.path + " line " + std::to_string(c.line) + ": ", 0),
        0u)
        << c.what << ": " << result.errorText;
    EXPECT_NE(result.errorText.find(c.expected), std::string::npos)
        << c.what << ": " << result.errorText;
  }
}

}  // namespace
}  // namespace qvm
