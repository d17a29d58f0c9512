// SPDX-License-Identifier: MIT
#include "sim/faults/fault_plan.h"

#include <algorithm>
#include <numeric>

#include "sim/bridge/simulated_board.h"

namespace qvm::sim {

FaultPlan::FaultPlan(FaultList list, std::uint32_t seed, Clock& clock, ChainFaults* chainFaults)
    : list_(std::move(list)), random_(seed), clock_(clock), chainFaults_(chainFaults) {}

std::uint64_t FaultPlan::InjectedTotal() const {
  return std::accumulate(injected_.begin(), injected_.end(), std::uint64_t{0});
}

void FaultPlan::BeforeExchange(SimulatedBoard& board) {
  ++exchanges_;
  armed_.clear();
  std::uniform_real_distribution<double> chance(0.0, 1.0);
  std::vector<FaultKind> hits;
  for (const FaultRule& rule : list_.rules) {
    // Every rate rule draws on every exchange, so one rule never shifts another's faults.
    const bool hit = rule.at ? *rule.at == exchanges_ : chance(random_) < rule.rate;
    if (hit) hits.push_back(rule.kind);
  }
  // A fault hidden by another of the same exchange would be counted without ever reaching the
  // link: a reply the bridge loses hides everything in it, a reply under another report id hides
  // what it carries, a reply with another sequence number is passed over with its count and
  // frames, a reply cut short hides the frames, and a spoiled CRC4 on the first frame hides the
  // NAK that frame carries.
  const auto hit = [&hits](FaultKind kind) {
    return std::find(hits.begin(), hits.end(), kind) != hits.end();
  };
  const bool replyLost = hit(FaultKind::Drop);
  const bool contentLost = replyLost || hit(FaultKind::Rid);
  const bool countLost = contentLost || hit(FaultKind::Seq) || hit(FaultKind::Seq0);
  const bool framesLost = countLost || hit(FaultKind::Short);
  for (const FaultKind kind : hits) {
    const bool hidden = (kind == FaultKind::Rid && replyLost) ||
                        ((kind == FaultKind::Seq || kind == FaultKind::Seq0) && contentLost) ||
                        (kind == FaultKind::Short && countLost) ||
                        ((kind == FaultKind::Crc || kind == FaultKind::Nak) && framesLost) ||
                        (kind == FaultKind::Nak && hit(FaultKind::Crc));
    if (!hidden) Fire(kind, board);
  }
}

void FaultPlan::Fire(FaultKind kind, SimulatedBoard& board) {
  BridgeFaults& bridge = board.Faults();
  switch (kind) {
    case FaultKind::Drop:
      return Arm(kind, bridge.dropReplies);
    case FaultKind::Seq:
      return Arm(kind, bridge.wrongSequence);
    case FaultKind::Seq0:
      return Arm(kind, bridge.zeroSequence);
    case FaultKind::Rid:
      return Arm(kind, bridge.wrongReportId);
    case FaultKind::Short:
      return Arm(kind, bridge.shortReplies);
    case FaultKind::Crc:
      if (chainFaults_ != nullptr) Arm(kind, chainFaults_->badCrc);
      return;
    case FaultKind::Nak:
      if (chainFaults_ != nullptr) Arm(kind, chainFaults_->nakInstead);
      return;
    case FaultKind::Silent:
      if (chainFaults_ != nullptr && chainFaults_->silentChain != kAlways) {
        chainFaults_->silentChain = kAlways;
        ++injected_[static_cast<std::size_t>(kind)];
      }
      return;
    case FaultKind::Unplug:
      if (!board.Plugged()) return;
      board.Unplug();
      if (list_.replugMs) board.ScheduleReplug(clock_.NowMs() + *list_.replugMs);
      ++injected_[static_cast<std::size_t>(kind)];
      return;
  }
}

void FaultPlan::Arm(FaultKind kind, int& counter) {
  if (counter == kAlways) return;
  ++counter;
  armed_.push_back({kind, &counter, counter});
}

void FaultPlan::AfterExchange(SimulatedBoard&) {
  for (const Armed& armed : armed_) {
    if (*armed.counter < armed.armedValue) {
      ++injected_[static_cast<std::size_t>(armed.kind)];
    } else {
      --*armed.counter;
    }
  }
  armed_.clear();
}

}  // namespace qvm::sim
