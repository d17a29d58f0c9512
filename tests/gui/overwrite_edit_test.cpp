// SPDX-License-Identifier: MIT
#include "ui/overwrite_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>
#include <string>

namespace qvm {
namespace {

HexFieldState Field(const std::string& text, int caret, int selStart = 0, int selLength = 0) {
  return HexFieldState{text, caret, selStart, selLength};
}

// Text and caret after `key`; the test fails when the key is discarded.
std::pair<std::string, int> Typed(const HexFieldState& field, char key) {
  const auto next = ApplyHexFieldKey(field, key);
  EXPECT_TRUE(next.has_value()) << "key " << int(key) << " discarded";
  if (!next) return {field.text, field.caret};
  EXPECT_EQ(next->selectionLength, 0);
  return {next->text, next->caret};
}

using Result = std::pair<std::string, int>;

TEST(DecimalFieldRule, NineDigitsCappedAtTheLargestBalanceValue) {
  const auto typed = [](const std::string& text, int caret, char key) {
    const auto next = ApplyDecimalFieldKey(Field(text, caret), key, 9, 268435455);
    return next ? Result{next->text, next->caret} : Result{"discarded", -1};
  };
  EXPECT_EQ(typed("000000000", 9, '7'), (Result{"000000007", 9}));
  // "900000000" is beyond the largest value.
  EXPECT_EQ(typed("000000000", 0, '9'), (Result{"268435455", 9}));
  EXPECT_EQ(typed("268435455", 3, 'A'), (Result{"discarded", -1}));
  EXPECT_EQ(typed("123456789", 4, kHexKeyEscape), (Result{"000000000", 1}));
  EXPECT_EQ(typed("0", 1, kHexKeyBackspace), (Result{"0", 1}));
}

TEST(HexFieldRule, SevenDigitFieldWithoutCapKeepsItsLastDigits) {
  const HexFieldShape shape{7, std::nullopt};
  const auto next = ApplyHexFieldKey(Field("0FFFFFF", 7), 'F', shape);
  ASSERT_TRUE(next);
  EXPECT_EQ(next->text, "FFFFFFF");
  EXPECT_EQ(ApplyHexFieldKey(Field("1234567", 2), kHexKeyEscape, shape)->text, "0000000");
}

TEST(HexFieldRule, DigitAtTheStartOverwritesAndIsCappedToThree) {
  EXPECT_EQ(Typed(Field("0123", 0), 'F'), (Result{"3123", 2}));
  EXPECT_EQ(Typed(Field("0123", 0), '4'), (Result{"3123", 2}));
  EXPECT_EQ(Typed(Field("0123", 0), '3'), (Result{"3123", 1}));
}

TEST(HexFieldRule, DigitAtTheEndShiftsTheTextLeft) {
  EXPECT_EQ(Typed(Field("0123", 4), '5'), (Result{"1235", 4}));
  EXPECT_EQ(Typed(Field("12", 2), '3'), (Result{"123", 3}));
  EXPECT_EQ(Typed(Field("", 0), 'a'), (Result{"A", 1}));
  // "1234" then "5" would be 0x2345; "3456" stays above the cap once shifted.
  EXPECT_EQ(Typed(Field("2345", 4), '6'), (Result{"3456", 4}));
  EXPECT_EQ(Typed(Field("3456", 4), '7'), (Result{"3567", 4}));
}

TEST(HexFieldRule, DigitInsideReplacesTheNextCharacter) {
  EXPECT_EQ(Typed(Field("0123", 1), '9'), (Result{"0923", 2}));
  EXPECT_EQ(Typed(Field("0123", 3), 'e'), (Result{"012E", 4}));
}

TEST(HexFieldRule, DigitReplacesTheSelection) {
  EXPECT_EQ(Typed(Field("0123", 3, 1, 2), '7'), (Result{"073", 2}));
  EXPECT_EQ(Typed(Field("0123", 4, 0, 4), 'c'), (Result{"C", 1}));
  EXPECT_EQ(Typed(Field("0123", 1, 0, 1), '4'), (Result{"3123", 2}));
}

TEST(HexFieldRule, BackspaceDeletesBeforeTheCaretOrTheSelection) {
  EXPECT_EQ(Typed(Field("0123", 2), '\b'), (Result{"023", 1}));
  EXPECT_EQ(Typed(Field("0123", 4), '\b'), (Result{"012", 3}));
  EXPECT_EQ(Typed(Field("0123", 0), '\b'), (Result{"0123", 0}));
  EXPECT_EQ(Typed(Field("0123", 3, 1, 2), '\b'), (Result{"03", 1}));
}

TEST(HexFieldRule, BackspaceNeverLeavesTheBoxEmpty) {
  EXPECT_EQ(Typed(Field("1", 1), '\b'), (Result{"0", 1}));
  EXPECT_EQ(Typed(Field("3FFF", 0, 0, 4), '\b'), (Result{"0", 1}));
  EXPECT_EQ(Typed(Field("", 0), '\b'), (Result{"0", 1}));
}

TEST(HexFieldRule, EscapeAlwaysLeavesZeros) {
  for (const HexFieldState& field : {Field("0123", 0), Field("3FFF", 4), Field("ABC", 2, 1, 1),
                                     Field("", 0), Field("1C000", 5)}) {
    EXPECT_EQ(Typed(field, kHexKeyEscape), (Result{"0000", 1})) << field.text;
  }
}

TEST(HexFieldRule, OtherKeysAreDiscarded) {
  for (const char key : {'G', 'g', 'x', 'Z', ' ', '-', '+', '.', '&', '\r', '\t', '\x7f', '\0'}) {
    EXPECT_FALSE(ApplyHexFieldKey(Field("0123", 2), key).has_value()) << int(key);
  }
}

TEST(HexFieldRule, LowerCaseDigitsAreTakenUpperCase) {
  const std::string lower = "abcdef";
  for (std::size_t i = 0; i < lower.size(); ++i) {
    const std::string expected = std::string("000") + static_cast<char>('A' + i);
    EXPECT_EQ(Typed(Field("0000", 3), lower[i]).first, expected);
  }
}

TEST(HexFieldRule, CaretOutsideTheTextIsTakenAsItsEnd) {
  EXPECT_EQ(Typed(Field("0123", 9), '5'), (Result{"1235", 4}));
  EXPECT_EQ(Typed(Field("0123", -3), '1'), (Result{"1123", 1}));
}

TEST(HexFieldRule, LongerTextIsCutToItsLastFourDigits) {
  EXPECT_EQ(Typed(Field("1C000", 5), '1'), (Result{"0001", 4}));
  EXPECT_EQ(Typed(Field("1C000", 0), '0'), (Result{"3000", 1}));
}

// Whatever the start, an accepted key leaves at most four digits, a value up to 0x3FFF and the
// caret inside the text.
TEST(HexFieldRule, EveryResultStaysInsideTheBoxLimits) {
  const std::string keys = "0123456789ABCDEFabcdef\b\x1b";
  for (const std::string text : {"", "0", "3FFF", "0123", "FFFF", "12", "1C000"}) {
    const int length = static_cast<int>(text.size());
    for (int caret = 0; caret <= length; ++caret) {
      for (int selLength = 0; caret + selLength <= length; ++selLength) {
        for (const char key : keys) {
          const auto next = ApplyHexFieldKey(Field(text, caret + selLength, caret, selLength), key);
          ASSERT_TRUE(next.has_value());
          ASSERT_GE(next->text.size(), 1u);
          ASSERT_LE(next->text.size(), 4u);
          ASSERT_LE(std::stoul(next->text, nullptr, 16), kHexFieldMax) << text << " " << key;
          ASSERT_GE(next->caret, 0);
          ASSERT_LE(next->caret, static_cast<int>(next->text.size()));
        }
      }
    }
  }
}

class OverwriteEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    edit.setText("0123");
    edit.show();
    edit.setFocus();
  }

  OverwriteEdit edit;
  QSignalSpy handled{&edit, &OverwriteEdit::keyHandled};
  QSignalSpy deleted{&edit, &OverwriteEdit::deleteReleased};
};

TEST_F(OverwriteEditTest, TypedKeysFollowTheRule) {
  edit.setCursorPosition(0);
  QTest::keyClick(&edit, Qt::Key_F);
  EXPECT_EQ(edit.text(), "3123");
  EXPECT_EQ(edit.cursorPosition(), 2);
  QTest::keyClick(&edit, Qt::Key_End);
  QTest::keyClicks(&edit, "a5");
  EXPECT_EQ(edit.text(), "23A5");
  EXPECT_EQ(handled.count(), 3);
  EXPECT_EQ(deleted.count(), 0);
}

TEST_F(OverwriteEditTest, OtherCharacterKeysChangeNothing) {
  edit.setCursorPosition(2);
  QTest::keyClicks(&edit, "xyz -!G");
  EXPECT_EQ(edit.text(), "0123");
  EXPECT_EQ(edit.cursorPosition(), 2);
  EXPECT_EQ(handled.count(), 0);
}

TEST_F(OverwriteEditTest, EscapeAndBackspace) {
  QTest::keyClick(&edit, Qt::Key_Escape);
  EXPECT_EQ(edit.text(), "0000");
  edit.setText("1");
  edit.setCursorPosition(1);
  QTest::keyClick(&edit, Qt::Key_Backspace);
  EXPECT_EQ(edit.text(), "0");
  EXPECT_EQ(handled.count(), 2);
}

TEST_F(OverwriteEditTest, DeleteKeepsItsOwnBehaviourAndIsReportedOnRelease) {
  edit.setCursorPosition(0);
  QTest::keyClick(&edit, Qt::Key_Delete);
  EXPECT_EQ(edit.text(), "123");
  EXPECT_EQ(deleted.count(), 1);
  EXPECT_EQ(handled.count(), 0);
  QTest::keyClick(&edit, Qt::Key_Right);
  EXPECT_EQ(edit.cursorPosition(), 1);
  EXPECT_EQ(handled.count(), 0);
}

TEST_F(OverwriteEditTest, PastedTextGoesThroughTheRule) {
  edit.setCursorPosition(4);
  edit.PasteText("x4y5");
  EXPECT_EQ(edit.text(), "2345");
  EXPECT_EQ(handled.count(), 1);
  edit.PasteText("zz");
  EXPECT_EQ(edit.text(), "2345");
  EXPECT_EQ(handled.count(), 1);
}

TEST_F(OverwriteEditTest, PasteShortcutUsesTheRule) {
  QApplication::clipboard()->setText("hello f");
  if (QApplication::clipboard()->text() != "hello f") GTEST_SKIP() << "no clipboard";
  edit.setCursorPosition(4);
  QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit.text(), "23EF");
}

TEST_F(OverwriteEditTest, DropsAreRefused) {
  EXPECT_FALSE(edit.acceptDrops());
}

}  // namespace
}  // namespace qvm
