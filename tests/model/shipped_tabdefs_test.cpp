// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/decoders.h"
#include "model/tab_definitions.h"

namespace qvm {
namespace {

class ShippedTabDefinitions : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    const auto loaded = LoadTabDefinitionFile(QVM_DATA_DIR, std::string("\\") + GetParam());
    ASSERT_EQ(loaded.status, TabDefFileText::Status::Loaded) << loaded.message;
    text = loaded.text;
    result = ParseTabDefinitions(text, *model, *image, state);
    ASSERT_TRUE(result.ok) << result.errorText << " at line " << result.errorLine;
  }
  const RegisterTables& tables(int devType) const {
    return model->type[static_cast<std::size_t>(devType)];
  }
  // Every register placed on a tab of `devType`.
  bool OnSomeTab(int devType, int reg) const {
    for (int tab = 0; tab <= tables(devType).LastTabIndex; ++tab) {
      for (int slot = 0; slot < kSlotsPerTab; ++slot) {
        if (tables(devType).TabRegister[tab][slot] == reg) return true;
      }
    }
    return false;
  }

  std::string text;
  TabDefParseResult result;
  std::unique_ptr<RegisterModel> model = std::make_unique<RegisterModel>();
  std::unique_ptr<RegisterImage> image = std::make_unique<RegisterImage>();
  SharedState state;
};

TEST_P(ShippedTabDefinitions, EveryLineEndsInCrLf) {
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at byte " << i;
    }
    ASSERT_LT(static_cast<unsigned char>(text[i]), 0x80) << "non-ASCII byte at " << i;
  }
}

TEST_P(ShippedTabDefinitions, StartsWithTheSpecialPagesInBothSections) {
  EXPECT_TRUE(result.titleBarSeen);
  for (int devType = 0; devType < kDeviceTypes; ++devType) {
    EXPECT_EQ(tables(devType).TabName[0], "MAIN");
    EXPECT_EQ(tables(devType).TabName[1], "COMMANDS");
    EXPECT_EQ(tables(devType).TabName[2], "MONITOR");
    EXPECT_EQ(tables(devType).TabName[3], "CHART");
    EXPECT_GT(tables(devType).LastTabIndex, 3);
  }
}

TEST_P(ShippedTabDefinitions, DecoderScalesAreSetToRealisticValues) {
  for (int reg : {0x40, 0x41, 0x50, 0x51, 0x90, 0x91, 0x9A}) {
    EXPECT_NE(model->RegScale(0, reg), 1.0) << "register " << reg;
    EXPECT_GT(model->RegScale(0, reg), 0.0) << "register " << reg;
    EXPECT_FALSE(tables(0).RegDecodedLabel[reg].empty()) << "register " << reg;
  }
  // Full-scale pack voltage, largest positive cell voltage, a warm chip.
  EXPECT_NEAR(DecodeVbatVoltage(*model, 0x3FFF), 55.0, 6.0);
  EXPECT_GT(DecodeCellVoltage(*model, 0x1FFF), 4.2);
  EXPECT_LT(DecodeCellVoltage(*model, 0x1FFF), 6.0);
  EXPECT_NEAR(DecodeExternalTemp(*model, 0x3FFF), 5.0, 0.01);
  EXPECT_NEAR(DecodeInternalTemp(*model, state, static_cast<std::int16_t>(state.Tint25 + 3000)),
              85.0, 15.0);
  // Thresholds decode like cell voltages; the temperature limit like the internal sensor.
  EXPECT_EQ(model->RegScale(0, 0x90), model->RegScale(0, 0x41));
  EXPECT_EQ(model->RegScale(0, 0x91), model->RegScale(0, 0x41));
  EXPECT_EQ(model->RegScale(0, 0x9A), model->RegScale(0, 0x50));
  for (int cell = 0; cell < 12; ++cell) {
    EXPECT_EQ(model->RegScale(0, 0x41 + cell), model->RegScale(0, 0x41)) << cell;
  }
}

TEST_P(ShippedTabDefinitions, PrimaryCommandRegistersArePresent) {
  for (int adr : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 16, 17, 18}) {
    const int reg = RegisterIndex(3, adr);
    const int kind = model->RegKind(0, reg);
    EXPECT_GE(kind, 2) << "page 3 address " << adr;
    EXPECT_LE(kind, 5) << "page 3 address " << adr;
    EXPECT_TRUE(OnSomeTab(0, reg)) << "page 3 address " << adr;
    EXPECT_FALSE(tables(0).RegName[reg].empty()) << "page 3 address " << adr;
  }
  // Identify carries its number as data.
  EXPECT_EQ(model->RegKind(0, RegisterIndex(3, 9)), kKindCommandWithData3);
}

TEST_P(ShippedTabDefinitions, BlockReadRequestsHaveKindFive) {
  for (int reg :
       {RegisterIndex(1, 15), RegisterIndex(1, 31), RegisterIndex(2, 15), RegisterIndex(2, 31)}) {
    EXPECT_EQ(model->RegKind(0, reg), kKindBlockRead) << reg;
  }
  EXPECT_EQ(model->RegKind(1, RegisterIndex(2, 15)), kKindBlockRead);
  EXPECT_EQ(model->RegKind(1, RegisterIndex(2, 31)), kKindBlockRead);
}

TEST_P(ShippedTabDefinitions, RegistersTheConsoleReadsAndWritesAreDefined) {
  for (int reg : {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x90, 0x91, 0x92, 0x93, 0x94, 0x95,
                  0x96, 0x97, 0x9A}) {
    EXPECT_EQ(model->RegKind(0, reg), kKindReadWrite) << reg;
  }
  for (int reg = 0xA0; reg <= 0xB7; ++reg) EXPECT_EQ(model->RegKind(0, reg), kKindReadWrite);
  for (int reg = 0x100; reg <= 0x157; ++reg) {
    EXPECT_EQ(model->RegKind(0, reg), kKindReadWrite) << reg;
    EXPECT_TRUE(OnSomeTab(0, reg)) << reg;
  }
  for (int reg : {0x40, 0x41, 0x4C, 0x50, 0x54, 0x9B, 0x9C}) {
    EXPECT_EQ(model->RegKind(0, reg), kKindReadOnly) << reg;
  }
}

TEST_P(ShippedTabDefinitions, FaultAndSetupBitsCarryNames) {
  EXPECT_EQ(model->BitName(0, 0x84, 8), "Vbat Open Wire");
  EXPECT_EQ(model->BitName(0, 0x84, 9), "Vss Open Wire");
  EXPECT_EQ(model->BitName(1, 0x84, 8), "Vbat Open Wire");
  for (int reg : {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x93, 0x94, 0x95}) {
    for (int bit = 0; bit < kBitsPerRegister; ++bit) {
      EXPECT_NE(model->BitName(0, reg, bit).rfind("Bit", 0), 0u) << reg << " bit " << bit;
    }
  }
  EXPECT_EQ(model->BitName(0, 0x93, 9), "Bal Enable");
}

TEST_P(ShippedTabDefinitions, CompanionSectionHasNoBalancing) {
  for (int adr : {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 15, 18}) {
    EXPECT_NE(model->RegKind(1, RegisterIndex(3, adr)), kKindUndefined) << adr;
  }
  EXPECT_EQ(model->RegKind(1, RegisterIndex(3, 16)), kKindUndefined);
  EXPECT_EQ(model->RegKind(1, RegisterIndex(3, 17)), kKindUndefined);
  EXPECT_EQ(model->RegKind(1, 0x83), kKindReadWrite);
  EXPECT_EQ(model->RegKind(1, 0x85), kKindReadWrite);
}

TEST_P(ShippedTabDefinitions, EepromResetSitsInRowFourOfTabFourteen) {
  // The EEPROM utilities press row 4 of tab 14 and read tabs from 19 on.
  EXPECT_EQ(tables(0).TabRegister[13][4], RegisterIndex(3, 18));
  EXPECT_EQ(tables(0).TabRegister[18][0], 0x100);
}

TEST_P(ShippedTabDefinitions, EveryTabShowsRegistersOfItsOwnTypeOnly) {
  for (int devType = 0; devType < kDeviceTypes; ++devType) {
    for (int tab = 4; tab <= tables(devType).LastTabIndex; ++tab) {
      EXPECT_NE(tables(devType).TabRegister[tab][0], -1) << "type " << devType << " tab " << tab;
      for (int slot = 0; slot < kSlotsPerTab; ++slot) {
        const int reg = tables(devType).TabRegister[tab][slot];
        if (reg >= 0) {
          EXPECT_NE(model->RegKind(devType, reg), kKindUndefined);
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, ShippedTabDefinitions,
                         ::testing::Values("tabdefs_QVM52400_RevA.csv",
                                           "tabdefs_QVM38817_RevA.csv"));

TEST(ShippedTabDefinitionsPrimary, SetsTheCalibrationWord) {
  auto model = std::make_unique<RegisterModel>();
  auto image = std::make_unique<RegisterImage>();
  SharedState state;
  state.Tint25 = 1;
  const auto loaded = LoadTabDefinitionFile(QVM_DATA_DIR, state.TabDefsFileName);
  ASSERT_EQ(loaded.status, TabDefFileText::Status::Loaded) << loaded.message;
  ASSERT_TRUE(ParseTabDefinitions(loaded.text, *model, *image, state).ok);
  EXPECT_EQ(state.Tint25, 9217);
}

}  // namespace
}  // namespace qvm
