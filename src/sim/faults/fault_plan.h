// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "core/clock.h"
#include "sim/bridge/exchange_hook.h"
#include "sim/chain/chain_faults.h"
#include "sim/faults/fault_list.h"

namespace qvm::sim {

// Injects a fault list into a simulated board, one SPI packet exchange at a time: before each
// packet it decides, with its own seeded generator, which faults hit this exchange and arms
// the board's and the chain's fault counters for it; afterwards it counts the faults that
// actually applied and withdraws the rest; a fault that another of the same exchange would hide
// from the link is not injected. The same list and seed give the same faults.
class FaultPlan final : public ExchangeHook {
 public:
  // `chainFaults` (not owned, may be null) are the faults of the chain behind the board.
  FaultPlan(FaultList list, std::uint32_t seed, Clock& clock, ChainFaults* chainFaults);

  void BeforeExchange(SimulatedBoard& board) override;
  void AfterExchange(SimulatedBoard& board) override;

  // SPI packets seen so far.
  std::uint64_t Exchanges() const { return exchanges_; }
  // How many faults of a kind were actually injected.
  std::uint64_t Injected(FaultKind kind) const { return injected_[static_cast<std::size_t>(kind)]; }
  std::uint64_t InjectedTotal() const;

 private:
  struct Armed {
    FaultKind kind;
    int* counter;
    int armedValue;
  };

  void Fire(FaultKind kind, SimulatedBoard& board);
  void Arm(FaultKind kind, int& counter);

  FaultList list_;
  std::mt19937 random_;
  Clock& clock_;
  ChainFaults* chainFaults_;
  std::uint64_t exchanges_ = 0;
  std::array<std::uint64_t, kFaultKindCount> injected_{};
  std::vector<Armed> armed_;
};

}  // namespace qvm::sim
