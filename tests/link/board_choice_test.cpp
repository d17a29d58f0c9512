// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "link/board_access.h"

namespace qvm {
namespace {

BridgeBoardEntry Board(int instance, std::string path, std::string serial,
                       std::string openError = "") {
  BridgeBoardEntry entry;
  entry.info.path = std::move(path);
  entry.info.serial = std::move(serial);
  entry.instance = instance;
  entry.canOpen = openError.empty();
  entry.openError = std::move(openError);
  return entry;
}

// A board is chosen by its instance number, serial number or device node; none, several or an
// unopenable match is refused with the reason.
TEST(BoardChoiceTest, ChoosesByNumberSerialOrNodeAndRefusesTheRest) {
  const std::vector<BridgeBoardEntry> boards = {
      Board(0, "/dev/hidraw2", "A100"), Board(-1, "/dev/hidraw3", "B200", "Permission denied"),
      Board(1, "/dev/hidraw4", "1"),    Board(2, "/dev/hidraw5", "C300"),
      Board(3, "/dev/hidraw6", "C300"),
  };
  const struct {
    std::string choice;
    int instance;        // -1: refused
    std::string reason;  // part of the refusal
  } cases[] = {
      {"0", 0, ""},
      {"0x2", 2, ""},
      {"A100", 0, ""},
      {"/dev/hidraw4", 1, ""},
      {"/dev/hidraw6", 3, ""},
      {"1", 1, ""},  // instance 1 and serial "1" are the same board
      {"9", -1, "device node 9; The bridge board /dev/hidraw3 is attached but cannot be opened"},
      {"Z9", -1, "no bridge board"},
      {"C300", -1, "2 bridge boards match C300: /dev/hidraw5 /dev/hidraw6"},
      {"B200", -1, "/dev/hidraw3 is attached but cannot be opened: Permission denied"},
  };
  for (const auto& c : cases) {
    std::string error;
    const auto instance = ChooseBridgeBoard(boards, c.choice, error);
    EXPECT_EQ(instance.value_or(-1), c.instance) << c.choice;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.choice << ": " << error;
  }
}

}  // namespace
}  // namespace qvm
