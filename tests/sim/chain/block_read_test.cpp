// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "chain_test_support.h"
#include "sim/chain/register_map.h"

namespace qvm::sim {
namespace {

struct BlockCase {
  int type;
  int page;
  int adr;
  int first;
  int words;
};

class BlockReadTest : public testing::TestWithParam<BlockCase> {};

// Reads a block answer: one 4-byte frame, then 3-byte words; checks every CRC on the way.
struct Block {
  test::Answer head;
  std::vector<std::pair<int, int>> words;  // address, data; the head's word first
  bool allCrcGood = true;
  std::size_t leftover = 0;
};

Block SplitBlock(const std::vector<std::uint8_t>& bytes) {
  Block block;
  if (bytes.size() < 4) return block;
  DeviceCommand command;
  block.allCrcGood = DecodeDaisyResponse(command, std::span(bytes).first(4));
  block.head = {command.dev, command.cat, command.adr, command.dat, block.allCrcGood};
  block.words.emplace_back(command.adr, command.dat);
  std::size_t p = 4;
  for (; p + 3 <= bytes.size(); p += 3) {
    const auto frame = std::span(bytes).subspan(p, 3);
    block.allCrcGood = block.allCrcGood && CheckCrc4(frame);
    DecodeDaisyResponse(command, frame);
    block.words.emplace_back(command.adr, command.dat);
  }
  block.leftover = bytes.size() - p;
  return block;
}

TEST_P(BlockReadTest, AnswersTheTableBlockWithGoodCrcs) {
  const BlockCase c = GetParam();
  SimulatedChain chain(test::Daisy52400(2, 2));
  test::NumberAll(chain);
  SimulatedDevice& device = chain.Device(c.type, 2);
  for (int adr = 0; adr < 64; ++adr) device.Poke(c.page * 64 + adr, 0x100 + adr);

  const auto bytes = test::Daisy(chain, c.type, 2, c.page, c.adr);
  ASSERT_EQ(bytes.size(), 4u + 3u * static_cast<std::size_t>(c.words - 1));
  const Block block = SplitBlock(bytes);
  EXPECT_TRUE(block.allCrcGood);
  EXPECT_EQ(block.leftover, 0u);
  EXPECT_EQ(block.head.dev, 2);
  EXPECT_EQ(block.head.cat, c.page);
  EXPECT_EQ(block.head.adr, c.first);
  ASSERT_EQ(block.words.size(), static_cast<std::size_t>(c.words));
  for (int k = 0; k < c.words; ++k) {
    const auto [adr, dat] = block.words[static_cast<std::size_t>(k)];
    EXPECT_EQ(adr, c.first - k);
    EXPECT_EQ(dat, 0x100 + adr);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, BlockReadTest,
                         testing::Values(BlockCase{0, 1, 15, 12, 13}, BlockCase{0, 1, 31, 22, 7},
                                         BlockCase{0, 2, 15, 6, 7}, BlockCase{0, 2, 31, 29, 14},
                                         BlockCase{1, 2, 15, 5, 5}, BlockCase{1, 2, 31, 29, 7}));

TEST(BlockReadVoltsTest, VoltsBlockCarriesThePackAndAllTwelveCells) {
  SimulatedChain chain(test::Daisy52400(1));
  test::NumberAll(chain);
  test::Daisy(chain, 0, 1, 3, regs::kScanVolts);
  const Block block = SplitBlock(test::Daisy(chain, 0, 1, 1, 15));
  ASSERT_EQ(block.words.size(), 13u);
  std::vector<int> addresses;
  for (const auto& [adr, dat] : block.words) {
    addresses.push_back(64 + adr);
    EXPECT_EQ(dat, chain.Device(0, 1).Read(64 + adr));
    EXPECT_NE(dat, 0);
  }
  EXPECT_EQ(addresses.front(), regs::kCell1 + 11);
  EXPECT_EQ(addresses.back(), regs::kVbat);
}

TEST(BlockReadVoltsTest, CompanionHasNoVoltsBlock) {
  SimulatedChain chain(test::Daisy52400(1, 1));
  test::NumberAll(chain);
  EXPECT_EQ(test::Daisy(chain, 1, 1, 1, 15).size(), 4u);
}

}  // namespace
}  // namespace qvm::sim
