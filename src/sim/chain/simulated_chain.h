// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "sim/bridge/spi_target.h"
#include "sim/chain/chain_faults.h"
#include "sim/chain/chain_layout.h"
#include "sim/chain/device_stack.h"
#include "sim/chain/raw_scale.h"
#include "sim/chain/upr_buffer.h"

namespace qvm::sim {

struct ChainOptions {
  // The scales of the chain layout's family (ScalesFor) unless given.
  std::optional<ChainScales> scales;
  std::uint32_t seed = 1;  // makes the cell model and its noise repeatable
};

// The chain of simulated battery-monitor ICs behind the simulated bridge: one daisy chain per
// device type (type 0 the primary IC, 12 cells; type 1 the companion, 6 cells).
//
// Bridge commands: 22 carries one daisy-chain frame, 3 bytes or, with header bit 7, 4 bytes
// (DeviceStack says how the devices answer; the reply is the answering frames in order);
// 21 one single-device frame for the first device of the header's type (AnswerSingleFrame);
// 23 and 24, or a header with bits 5..4 set, read the UPR buffer of type 0 or 1 (UprBuffer).
// Header bit 6 selects the device type. Both framings reach the devices whatever the chain layout's
// mode: the mode tells the console how to drive the board.
//
// Fault reports: whenever a numbered device's scan sets a new fault-status bit, a frame with
// its fault status (page 2 address 4) goes into the UPR buffer of its type. The buffer's status
// is 0x88 unless the chain is silent or a numbered device of the type sleeps.
class SimulatedChain final : public SpiTarget {
 public:
  static constexpr int kPrimaryCells = 12;
  static constexpr int kCompanionCells = 6;

  explicit SimulatedChain(const ChainLayout& chainLayout, ChainOptions options = {});

  std::vector<std::uint8_t> Transfer(const SpiPacket& packet) override;
  void Advance(std::int64_t nowMs) override;

  const ChainLayout& Layout() const { return layout_; }
  int DeviceCount(int type) const;
  // The device at a position of its type's chain, from 1, bottom first; throws
  // std::out_of_range for a position the chain does not have.
  SimulatedDevice& Device(int type, int position);
  ChainFaults& Faults() { return faults_; }
  std::size_t PendingUprFrames(int type) const;

 private:
  std::vector<std::uint8_t> DaisyTransfer(int type, const SpiPacket& packet);
  std::vector<std::uint8_t> SingleTransfer(int type, const SpiPacket& packet);
  std::vector<std::uint8_t> UprTransfer(int type);
  void CollectFaultReports();

  ChainLayout layout_;
  std::array<DeviceStack, 2> stacks_;
  std::array<UprBuffer, 2> upr_;
  ChainFaults faults_;
  std::optional<std::int64_t> lastMs_;
};

}  // namespace qvm::sim
