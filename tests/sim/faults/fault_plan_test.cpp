// SPDX-License-Identifier: MIT
#include "sim/faults/fault_plan.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "protocol/device_command.h"
#include "sim/chain/register_map.h"
#include "sim/simulated_source.h"

namespace qvm::sim {
namespace {

// A simulated board built as the programs build it, opened and set up for a daisy chain.
struct FaultedBoard {
  FaultedBoard(const std::string& faults, std::uint32_t seed = 1) {
    std::string error;
    auto made = MakeSimulatedSource({"daisy:52400x2", faults, seed}, clock, error);
    EXPECT_TRUE(made) << error;
    evb = std::move(*made);
    Reopen();
  }

  void Reopen() {
    device = evb.bus->Open(SimulatedEvb::kBoardPath);
    if (!device) return;
    Report setup{1, 20, 0, 0xFF, 0xFF, 0x80, 0x03, 0x80, 0x00, 2, 0x29, 0x30};
    EXPECT_TRUE(device->Write(setup));
  }

  // One daisy-chain identify broadcast, which the chain acknowledges; the reply, if any.
  std::optional<Report> Exchange() {
    sequence = sequence >= 7 ? 1 : sequence + 1;
    std::vector<std::uint8_t> frame;
    std::int16_t data = 0;
    EncodeDaisyFrame(0, 3, regs::kIdentify, data, frame);
    Report request{1, 22, sequence, static_cast<std::uint8_t>(frame.size() + 1), 0x80};
    std::copy(frame.begin(), frame.end(), request.begin() + 5);
    if (!device || !device->Write(request)) return std::nullopt;
    Report reply{};
    if (device->Read(reply, 100) != ReadResult::Report) return std::nullopt;
    return reply;
  }

  bool CrcGood(const Report& reply) const {
    if (reply[3] != 5) return false;
    DeviceCommand answer;
    return DecodeDaisyResponse(answer, std::span(reply).subspan(5, 4));
  }

  VirtualClock clock;
  SimulatedEvb evb;
  std::unique_ptr<HidDevice> device;
  std::uint8_t sequence = 0;
};

TEST(FaultPlanTest, SameSeedSameFaultsAndTheCountMatchesWhatWasSeen) {
  auto pattern = [](std::uint32_t seed, std::uint64_t& injected) {
    FaultedBoard board("crc=0.3", seed);
    std::vector<bool> bad;
    for (int i = 0; i < 100; ++i) bad.push_back(!board.CrcGood(*board.Exchange()));
    injected = board.evb.faultPlan->Injected(FaultKind::Crc);
    EXPECT_EQ(board.evb.faultPlan->Exchanges(), 100u);
    return bad;
  };
  std::uint64_t first = 0;
  std::uint64_t again = 0;
  std::uint64_t other = 0;
  const auto a = pattern(7, first);
  EXPECT_EQ(pattern(7, again), a);
  EXPECT_NE(pattern(8, other), a);
  EXPECT_EQ(first, static_cast<std::uint64_t>(std::count(a.begin(), a.end(), true)));
  EXPECT_GT(first, 10u);
  EXPECT_LT(first, 60u);
}

TEST(FaultPlanTest, EachKindHitsExactlyItsExchange) {
  FaultedBoard board("nak@2,seq0@3,drop@4,short@5,seq@6,rid@7,silent@9");
  const auto ok = board.Exchange();
  ASSERT_TRUE(ok);
  EXPECT_TRUE(board.CrcGood(*ok));

  const auto nak = board.Exchange();
  DeviceCommand answer;
  ASSERT_TRUE(nak && DecodeDaisyResponse(answer, std::span(*nak).subspan(5, 4)));
  EXPECT_EQ(answer.adr, regs::kNak);

  EXPECT_EQ((*board.Exchange())[2], 0);           // seq0
  EXPECT_FALSE(board.Exchange());                 // drop
  EXPECT_EQ((*board.Exchange())[3], 1);           // short
  const std::uint8_t asked = board.sequence + 1;  // seq
  EXPECT_NE((*board.Exchange())[2], asked);
  const auto rid = board.Exchange();
  ASSERT_TRUE(rid);
  EXPECT_NE((*rid)[0], (*ok)[0]);
  EXPECT_TRUE(board.CrcGood(*rid));
  EXPECT_TRUE(board.CrcGood(*board.Exchange()));
  for (int i = 0; i < 3; ++i) EXPECT_EQ((*board.Exchange())[3], 1);  // silent from 9 on

  const std::vector<FaultKind> kinds{FaultKind::Nak,   FaultKind::Seq0, FaultKind::Drop,
                                     FaultKind::Short, FaultKind::Seq,  FaultKind::Rid,
                                     FaultKind::Silent};
  for (FaultKind kind : kinds) {
    EXPECT_EQ(board.evb.faultPlan->Injected(kind), 1u) << FaultKindName(kind);
  }
  EXPECT_EQ(board.evb.faultPlan->InjectedTotal(), kinds.size());
  // Nothing stays armed after its exchange.
  EXPECT_EQ(board.evb.board->Faults().dropReplies, 0);
  EXPECT_EQ(board.evb.board->Faults().wrongReportId, 0);
  EXPECT_EQ(board.evb.chain->Faults().nakInstead, 0);
}

// Two faults of one exchange, the second of which the first hides from the link: only the one
// the link can see is injected and counted.
TEST(FaultPlanTest, AFaultAnotherHidesIsNotInjected) {
  const struct {
    const char* faults;
    FaultKind seen;
    FaultKind hidden;
  } cases[] = {
      {"drop@1,crc@1", FaultKind::Drop, FaultKind::Crc},
      {"seq0@1,short@1", FaultKind::Seq0, FaultKind::Short},
      {"short@1,nak@1", FaultKind::Short, FaultKind::Nak},
      {"crc@1,nak@1", FaultKind::Crc, FaultKind::Nak},
      {"drop@1,rid@1", FaultKind::Drop, FaultKind::Rid},
      {"rid@1,seq@1", FaultKind::Rid, FaultKind::Seq},
      {"seq0@1,rid@1", FaultKind::Rid, FaultKind::Seq0},
      {"rid@1,short@1", FaultKind::Rid, FaultKind::Short},
      {"crc@1,rid@1", FaultKind::Rid, FaultKind::Crc},
      {"rid@1,nak@1", FaultKind::Rid, FaultKind::Nak},
  };
  for (const auto& c : cases) {
    FaultedBoard board(c.faults);
    board.Exchange();
    EXPECT_EQ(board.evb.faultPlan->Injected(c.seen), 1u) << c.faults;
    EXPECT_EQ(board.evb.faultPlan->Injected(c.hidden), 0u) << c.faults;
    const BridgeFaults& bridge = board.evb.board->Faults();
    EXPECT_EQ(board.evb.chain->Faults().badCrc + board.evb.chain->Faults().nakInstead +
                  bridge.shortReplies + bridge.wrongSequence + bridge.zeroSequence +
                  bridge.wrongReportId,
              0)
        << c.faults;
  }
}

TEST(FaultPlanTest, UnplugTakesTheBoardAwayUntilTheReplugTime) {
  for (const bool replug : {true, false}) {
    FaultedBoard board(replug ? "unplug@2,replug=100" : "unplug@2");
    EXPECT_TRUE(board.Exchange());
    EXPECT_FALSE(board.Exchange());
    EXPECT_TRUE(board.evb.bus->Enumerate().empty());
    EXPECT_EQ(board.evb.faultPlan->Injected(FaultKind::Unplug), 1u);
    board.clock.SleepMs(99);
    EXPECT_TRUE(board.evb.bus->Enumerate().empty());
    board.clock.SleepMs(1);
    EXPECT_EQ(board.evb.bus->Enumerate().size(), replug ? 1u : 0u);
    EXPECT_FALSE(board.Exchange());  // the old handle stays dead
    board.Reopen();
    EXPECT_EQ(board.Exchange().has_value(), replug);
  }
}

TEST(FaultPlanTest, DeniedBoardIsListedButCannotBeOpened) {
  FaultedBoard board("denied");
  EXPECT_EQ(board.evb.bus->Enumerate().size(), 1u);
  EXPECT_FALSE(board.device);
  EXPECT_EQ(board.evb.bus->OpenError(), "Permission denied");
}

// Faults of the exchanges never reach a board that does not answer, so none is counted.
TEST(FaultPlanTest, MuteBoardOpensTakesEveryPacketAndNeverAnswers) {
  FaultedBoard board("mute,crc=1,seq=1");
  EXPECT_EQ(board.evb.bus->Enumerate().size(), 1u);
  ASSERT_TRUE(board.device);
  constexpr std::uint64_t kPackets = 3;
  for (std::uint64_t i = 0; i < kPackets; ++i) EXPECT_FALSE(board.Exchange());
  EXPECT_EQ(board.evb.board->ReceivedReports().size(), 1 + kPackets);  // after the set-up block
  EXPECT_EQ(board.evb.faultPlan->Exchanges(), kPackets);
  EXPECT_EQ(board.evb.faultPlan->InjectedTotal(), 0u);
}

// A stray is no fault of an exchange: the exchanges stay clean and nothing is counted.
TEST(FaultPlanTest, StrayBoardSendsAPacketReplyBeforeEverySetupBlockReadBack) {
  FaultedBoard board("stray");
  const Report setupRead{1, 20, 1};
  for (int round = 0; round < 2; ++round) {
    const auto packet = board.Exchange();
    ASSERT_TRUE(packet);
    EXPECT_TRUE(board.CrcGood(*packet));
    ASSERT_TRUE(board.device->Write(setupRead));
    Report first{};
    Report second{};
    ASSERT_EQ(board.device->Read(first, 100), ReadResult::Report);
    ASSERT_EQ(board.device->Read(second, 100), ReadResult::Report);
    EXPECT_EQ(first, *packet);
    const auto& block = board.evb.board->Firmware().Settings().setupBlock;
    EXPECT_TRUE(std::equal(block.begin(), block.end(), second.begin() + 2));
  }
  EXPECT_EQ(board.evb.faultPlan->InjectedTotal(), 0u);
}

TEST(FaultPlanTest, MalformedOptionsNameTheOption) {
  VirtualClock clock;
  std::string error;
  EXPECT_FALSE(MakeSimulatedSource({"daisy:52400x3", "crc=2"}, clock, error));
  EXPECT_EQ(error.rfind("--sim-faults: crc=2: ", 0), 0u) << error;
  EXPECT_FALSE(MakeSimulatedSource({"daisy:52400x99", ""}, clock, error));
  EXPECT_EQ(error.rfind("--sim daisy:52400x99: ", 0), 0u) << error;
}

}  // namespace
}  // namespace qvm::sim
