// SPDX-License-Identifier: MIT
#include "bench/i2c_page.h"

#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <filesystem>
#include <fstream>

#include "console_fixture.h"
#include "link/packet_exchange.h"

namespace qvm::test {
namespace {

class I2cPageTest : public testing::Test {
 protected:
  I2cPageTest() {
    rig.console->session().bridge.OpenBridge();
    board().ClearReceivedReports();
  }

  I2cPage& page() { return *rig.bench->i2c; }
  sim::SimulatedBoard& board() { return *rig.evb->board; }
  sim::BridgeSettings& settings() { return board().Firmware().Settings(); }
  std::array<std::uint8_t, 256>& eeprom() { return board().Firmware().Eeprom().Bytes(); }
  std::vector<Report> Requests(std::uint8_t command) const {
    std::vector<Report> found;
    for (const Report& report : rig.evb->board->ReceivedReports()) {
      if (report[1] == command) found.push_back(report);
    }
    return found;
  }
  void Click(const char* name) { page().findChild<QPushButton*>(name)->click(); }
  void TypeAddress(const char* text) {
    page().txtI2Caddress->setText(text);
    page().txtI2Caddress_Change();
  }
  std::string Box(int i) {
    return page().txtPBufRd[static_cast<std::size_t>(i)]->text().toStdString();
  }
  std::array<bool, 7> Bits() {
    std::array<bool, 7> bits{};
    for (std::size_t j = 0; j < bits.size(); ++j) bits[j] = page().chkADDRbit[j]->isChecked();
    return bits;
  }
  void AnswerYes() {
    rig.host.SetAnswerHook([this](const QtHost::Prompt& prompt) {
      rig.prompts.push_back(prompt.text);
      return QtHost::Answer{prompt.kind == QtHost::PromptKind::YesNo, std::nullopt};
    });
  }

  ConsoleOnSimulatedBoard rig{"daisy:52400x1"};
};

TEST_F(I2cPageTest, TypedAddressAppliesWithoutAWaitThenLosesItsReadBit) {
  EXPECT_EQ(page().txtI2Caddress->text().toStdString(), "50");
  const std::int64_t start = rig.clock.NowMs();
  TypeAddress("51");
  // No wait runs while the field is left, so the click that left it is not lost.
  EXPECT_EQ(rig.clock.NowMs() - start, 0);
  EXPECT_EQ(page().txtI2Caddress->text().toStdString(), "50");
  EXPECT_EQ(page().I2cSlaveAddress(), 0x50);
  EXPECT_EQ(Bits(), (std::array<bool, 7>{false, false, false, true, false, true, false}));

  // A bit box composes the address; the boxes' own update sends nothing.
  page().chkADDRbit[0]->click();
  EXPECT_EQ(page().I2cSlaveAddress(), 0x52);
  EXPECT_EQ(page().txtI2Caddress->text().toStdString(), "52");
  EXPECT_TRUE(board().ReceivedReports().empty());

  TypeAddress("X1");
  ASSERT_EQ(rig.prompts.size(), 1u);
  EXPECT_NE(rig.prompts[0].find("hexadecimal"), std::string::npos);
  EXPECT_EQ(page().I2cSlaveAddress(), 0x52);
  EXPECT_EQ(page().txtI2Caddress->text().toStdString(), "52");
}

TEST_F(I2cPageTest, RandomWriteThenReadBackTheEeprom) {
  TypeAddress("A0");
  page().chkRandom->setChecked(true);
  page().txtStartRegRD->setText("10");
  page().txtNumToWrite->setText("3");
  page().txtWriteVal[0]->setText("DE");
  page().txtWriteVal[1]->setText("ad");
  page().txtWriteVal[2]->setText("5");
  Click("cmdWrite");
  EXPECT_EQ(eeprom()[0x10], 0xDE);
  EXPECT_EQ(eeprom()[0x11], 0xAD);
  EXPECT_EQ(eeprom()[0x12], 0x05);
  EXPECT_EQ(eeprom()[0x13], 0xFF);

  page().txtNumToRead->setText("4");
  Click("cmdRead");
  EXPECT_EQ(Box(0x0F), "");
  EXPECT_EQ(Box(0x10), "DE");
  EXPECT_EQ(Box(0x11), "AD");
  EXPECT_EQ(Box(0x12), "05");
  EXPECT_EQ(Box(0x13), "FF");
  EXPECT_EQ(Box(0x14), "");
  const Report read = Requests(kCmdI2cTransfer).back();
  EXPECT_EQ(read[2], 0xA1);
  EXPECT_EQ(read[3], 4);
  EXPECT_EQ(read[4], 1);
  EXPECT_EQ(read[5], 0x10);
  EXPECT_TRUE(rig.prompts.empty());
}

TEST_F(I2cPageTest, SimpleTransfersAndTheTopOfTheReadBoxes) {
  TypeAddress("A0");
  page().chkRandom->setChecked(true);
  page().txtStartRegRD->setText("3E");
  page().txtNumToWrite->setText("2");
  page().txtWriteVal[0]->setText("11");
  page().txtWriteVal[1]->setText("22");
  Click("cmdWriteSimple");
  EXPECT_EQ(eeprom()[0x3E], 0x11);
  EXPECT_EQ(eeprom()[0x3F], 0x22);

  page().txtNumToRead->setText("4");
  Click("cmdReadSimple");
  EXPECT_EQ(Box(62), "11");
  EXPECT_EQ(Box(63), "22");
  EXPECT_EQ(Box(0), "");

  // Above 63 nothing is shown.
  page().txtStartRegRD->setText("40");
  Click("cmdReadSimple");
  for (int i = 0; i < 62; ++i) EXPECT_EQ(Box(i), "") << i;

  // Without a register address the write's first byte is the word address, the read goes on
  // from the pointer and lands in box 0.
  page().chkRandom->setChecked(false);
  page().txtNumToWrite->setText("2");
  page().txtWriteVal[0]->setText("20");
  page().txtWriteVal[1]->setText("77");
  Click("cmdWrite");
  EXPECT_EQ(eeprom()[0x20], 0x77);
  page().txtNumToRead->setText("1");
  Click("cmdRead");
  EXPECT_EQ(Box(0), "FF");
  EXPECT_TRUE(rig.prompts.empty());
}

TEST_F(I2cPageTest, UnansweredReadKeepsTheBoxesAndSimpleReadNamesTheAddress) {
  TypeAddress("A0");
  page().txtNumToRead->setText("2");
  Click("cmdRead");
  EXPECT_EQ(Box(0), "FF");
  eeprom().fill(0x00);
  TypeAddress("40");
  Click("cmdRead");
  EXPECT_EQ(Box(0), "FF");
  EXPECT_TRUE(rig.prompts.empty());

  Click("cmdReadSimple");
  ASSERT_EQ(rig.prompts.size(), 1u);
  EXPECT_EQ(rig.prompts[0].rfind("Invalid I2C address.", 0), 0u);
  EXPECT_EQ(Box(0), "FF");
}

TEST_F(I2cPageTest, BadInputSendsNothing) {
  page().txtNumToRead->setText("63");
  Click("cmdRead");
  page().txtNumToRead->setText("0");
  Click("cmdReadSimple");
  page().txtNumToRead->setText("two");
  Click("cmdRead");
  page().txtNumToRead->setText("1");
  page().chkRandom->setChecked(true);
  page().txtStartRegRD->setText("1G");
  Click("cmdRead");
  Click("cmdScanI2Caddress");
  page().txtStartRegRD->setText("00");
  page().txtNumToWrite->setText("59");  // one more than fits behind the register byte
  Click("cmdWrite");
  page().txtNumToWrite->setText("2");
  page().txtWriteVal[1]->setText("ZZ");
  Click("cmdWriteSimple");
  EXPECT_EQ(rig.prompts.size(), 7u);
  EXPECT_NE(rig.prompts.back().find("Write byte 1"), std::string::npos);
  EXPECT_TRUE(board().ReceivedReports().empty());

  page().chkRandom->setChecked(false);
  page().txtNumToWrite->setText("59");
  for (QLineEdit* field : page().txtWriteVal) field->setText("AB");
  TypeAddress("A0");
  Click("cmdWrite");
  ASSERT_EQ(Requests(kCmdI2cTransfer).size(), 1u);
  EXPECT_EQ(Requests(kCmdI2cTransfer)[0][3], 59);
  EXPECT_EQ(rig.prompts.size(), 7u);
}

// Write data from a file, as on the SPI page: its bytes go behind the register byte; a file with
// a bad token, or more bytes than fit, is a message and nothing is sent.
TEST_F(I2cPageTest, WriteDataFromAFile) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("qvm-i2c-file-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const struct {
    std::string text;
    std::string complaint;  // empty: written
  } cases[] = {
      {"# three bytes\nDE 0xad,5\n", ""},
      {"DE\n# next\nXY\n", "Line 3: \"XY\" is not a hexadecimal byte. Nothing was sent."},
      {[] {
         std::string many;
         for (int i = 0; i < 59; ++i) many += "11 ";
         return many;
       }(),
       "holds 59 bytes; at most 58 fit"},
  };
  TypeAddress("A0");
  page().chkRandom->setChecked(true);
  page().txtStartRegRD->setText("20");
  int index = 0;
  for (const auto& c : cases) {
    const std::string path = (folder / ("data" + std::to_string(index++) + ".txt")).string();
    std::ofstream(path) << c.text;
    rig.host.SetAnswerHook([&](const QtHost::Prompt& prompt) {
      rig.prompts.push_back(prompt.text);
      return QtHost::Answer{false, prompt.kind == QtHost::PromptKind::OpenFile
                                       ? std::optional<std::string>(path)
                                       : std::nullopt};
    });
    page().chkFileWriteData->setChecked(false);
    page().chkFileWriteData->click();
    ASSERT_TRUE(page().chkFileWriteData->isChecked());
    rig.prompts.clear();
    board().ClearReceivedReports();
    Click("cmdWrite");
    if (c.complaint.empty()) {
      EXPECT_TRUE(rig.prompts.empty());
      EXPECT_EQ(eeprom()[0x20], 0xDE);
      EXPECT_EQ(eeprom()[0x21], 0xAD);
      EXPECT_EQ(eeprom()[0x22], 0x05);
      EXPECT_EQ(page().txtNumToWrite->text().toStdString(), "3");
    } else {
      ASSERT_EQ(rig.prompts.size(), 1u) << c.complaint;
      EXPECT_NE(rig.prompts[0].find(c.complaint), std::string::npos) << rig.prompts[0];
      EXPECT_TRUE(Requests(kCmdI2cTransfer).empty()) << c.complaint;
    }
  }
  std::filesystem::remove_all(folder);
}

TEST_F(I2cPageTest, AClickRightAfterTypingReadsFromTheTypedAddress) {
  page().txtI2Caddress->setText("A4");
  page().txtI2Caddress->setModified(true);
  Click("cmdReadSimple");
  const std::vector<Report> reads = Requests(kCmdI2cTransfer);
  ASSERT_EQ(reads.size(), 1u);
  EXPECT_EQ(reads[0][2], 0xA5);
  EXPECT_EQ(page().I2cSlaveAddress(), 0xA4);

  page().txtI2Caddress->setText("XY");
  page().txtI2Caddress->setModified(true);
  Click("cmdReadSimple");
  EXPECT_EQ(Requests(kCmdI2cTransfer).size(), 1u);
  EXPECT_EQ(page().I2cSlaveAddress(), 0xA4);
}

TEST_F(I2cPageTest, ScanFindsTheEepromWithoutSettlingWaits) {
  const std::int64_t start = rig.clock.NowMs();
  Click("cmdScanI2Caddress");
  // The simulated EEPROM answers at its 8-bit address A0, that is 0x50 on the bit boxes.
  EXPECT_EQ(page().txtI2Caddress->text().toStdString(), "A0");
  EXPECT_EQ(page().I2cSlaveAddress(), 0xA0);
  EXPECT_EQ(Bits(), (std::array<bool, 7>{false, false, false, false, true, false, true}));
  EXPECT_FALSE(page().State().ScanRunning);
  EXPECT_LT(rig.clock.NowMs() - start, 81 * 500);
  EXPECT_EQ(Requests(kCmdI2cTransfer).size(), 81u);
  EXPECT_TRUE(rig.prompts.empty());
}

TEST_F(I2cPageTest, NoSlaveAsksWhetherToCloseTheBenchWindow) {
  settings().i2cEepromFitted = false;
  rig.bench->show();
  Click("cmdScanI2Caddress");
  ASSERT_EQ(rig.prompts.size(), 1u);
  EXPECT_EQ(rig.prompts[0], "Velquist HID USB (PID 2035)  I2C address not found. Close GUI?");
  EXPECT_EQ(Requests(kCmdI2cTransfer).size(), 128u);
  EXPECT_EQ(page().txtI2Caddress->text().toStdString(), "FE");
  EXPECT_TRUE(rig.bench->isVisible());

  AnswerYes();
  Click("cmdScanI2Caddress");
  EXPECT_EQ(rig.prompts.size(), 2u);
  EXPECT_FALSE(rig.bench->isVisible());
}

TEST_F(I2cPageTest, ScanOnALostLinkKeepsTheAddressAndPrompts) {
  board().Faults().dropReplies = sim::kAlways;
  TypeAddress("A0");
  Click("cmdScanI2Caddress");
  EXPECT_EQ(page().I2cSlaveAddress(), 0xA0);
  EXPECT_EQ(page().txtI2Caddress->text().toStdString(), "A0");
  ASSERT_EQ(rig.prompts.size(), 1u);
  EXPECT_EQ(rig.prompts[0], "Please check USB connection.ReadFile error.");
}

TEST_F(I2cPageTest, OptionBoxesRoundTripWithoutWritingBackWhileFilled) {
  settings().i2cOptions = 0x02;
  settings().i2cExtHold = 1;
  page().getI2Coptions();
  EXPECT_FALSE(page().chkRepeatedStart->isChecked());
  EXPECT_TRUE(page().chkStoppedWrite->isChecked());
  EXPECT_TRUE(page().chkExtendHold->isChecked());
  EXPECT_FALSE(page().State().OptionsUpdating);
  EXPECT_EQ(Requests(kCmdI2cOptions).size(), 1u);  // the read only

  page().chkRepeatedStart->click();
  EXPECT_EQ(settings().i2cOptions, 0x03);
  page().chkExtendHold->click();
  EXPECT_EQ(settings().i2cExtHold, 0);
  const Report last = Requests(kCmdI2cOptions).back();
  EXPECT_EQ(last[3], 3);
  EXPECT_EQ(last[4], 0);
  EXPECT_EQ(last[5], 0);

  settings().i2cOptions = 0;
  settings().i2cExtHold = 1;
  page().getI2Coptions();
  EXPECT_FALSE(page().chkRepeatedStart->isChecked());
  EXPECT_FALSE(page().chkStoppedWrite->isChecked());
  EXPECT_TRUE(page().chkExtendHold->isChecked());
  EXPECT_EQ(settings().i2cExtHold, 1);
}

TEST_F(I2cPageTest, SclToggleShowsAnSdaError) {
  page().cmdToggleSCL->click();
  EXPECT_TRUE(rig.prompts.empty());
  settings().sdaStuck = true;
  page().cmdToggleSCL->click();
  ASSERT_EQ(rig.prompts.size(), 1u);
  EXPECT_EQ(rig.prompts[0], "SDA error");
  EXPECT_EQ(Requests(kCmdI2cOptions).back()[5], 1);
}

TEST_F(I2cPageTest, FirstShowingReadsTheClockListAndWritesTheSelectedDivider) {
  settings().i2cDivider = 60;
  auto* tabs = rig.bench->findChild<QTabWidget*>("tabBench");
  ASSERT_NE(tabs, nullptr);
  tabs->setCurrentWidget(&page());
  EXPECT_TRUE(page().Initialised());
  ASSERT_EQ(page().cboSMBusFrequency->count(), 120);
  EXPECT_EQ(page().cboSMBusFrequency->itemText(0).toStdString(), "100");
  EXPECT_EQ(page().cboSMBusFrequency->itemText(119).toStdString(), "12000");
  EXPECT_EQ(page().cboSMBusFrequency->currentText().toStdString(), "200");
  EXPECT_EQ(page().cboSMBusFrequency->currentData().toInt(), 60);
  EXPECT_EQ(Requests(kCmdI2cOptions).size(), 1u);

  const auto clockWrites = [this] {
    int writes = 0;
    for (const Report& report : Requests(kCmdI2cClock)) writes += report[2] == 0 ? 1 : 0;
    return writes;
  };
  EXPECT_EQ(clockWrites(), 1);
  page().cboSMBusFrequency->setCurrentIndex(0);
  page().cboSMBusFrequency_Click();
  EXPECT_EQ(settings().i2cDivider, 120);
  EXPECT_EQ(clockWrites(), 2);

  tabs->setCurrentIndex(0);
  tabs->setCurrentWidget(&page());
  EXPECT_EQ(clockWrites(), 2);
}

TEST_F(I2cPageTest, BringUpNameTicksTheRandomBox) {
  rig.bench->chkRandomReadWrite->setChecked(true);
  EXPECT_TRUE(page().chkRandom->isChecked());
}

}  // namespace
}  // namespace qvm::test
