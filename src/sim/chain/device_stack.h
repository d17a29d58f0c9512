// SPDX-License-Identifier: MIT
#pragma once

#include <span>
#include <vector>

#include "sim/chain/chain_faults.h"
#include "sim/chain/response_frames.h"
#include "sim/chain/simulated_device.h"

namespace qvm::sim {

// The devices of one type on the daisy chain, bottom (position 1) first, and how they answer a
// daisy-chain frame:
// - A frame with a bad CRC4 (or cut short) is answered by the bottom device with one NAK that
//   carries the frame's device field.
// - Only numbered, awake devices answer. Device number 0 or 15 addresses all of them; each
//   answers in turn, bottom first (a broadcast read gives one answer per device).
// - A read answers with the register (cat = the request's page), or with the device's block
//   (FindBlockRead); a write answers ACK, or NAK for a register that cannot be written; a
//   command answers ACK, or NAK for an unknown code. Wake reaches sleeping devices too.
// - RESET (sent to any device number) clears the numbering and gets no answer.
// - Identify 0 numbers the bottom device 1 (clearing any other numbers), answered by its ACK.
//   Identify n numbers the next unnumbered device n and that device echoes (page 3 address 9,
//   data = status in bits 13..12 and n in the low bits) with status 3 when devices above it
//   remain, 2 when it is the top. When all are numbered, the top device echoes status 2 once
//   more (so a lone device answers Identify 2 as the top). After the top has echoed, further
//   Identify n get no answer. Identify 63 is answered with an ACK by the highest numbered device.
class DeviceStack {
 public:
  DeviceStack(int type, std::vector<SimulatedDevice> devices);

  std::vector<Frame> Handle(std::span<const std::uint8_t> bytes, bool write, ChainFaults& faults);

  int Size() const { return static_cast<int>(devices_.size()); }
  // Position from 1, bottom first.
  SimulatedDevice& At(int position);
  std::vector<SimulatedDevice>& Devices() { return devices_; }
  int NumberedCount() const;

 private:
  std::vector<Frame> Identify(int n, ChainFaults& faults);
  std::vector<Frame> Command(const ChainRequest& request, ChainFaults& faults);
  std::vector<Frame> Access(const ChainRequest& request, ChainFaults& faults);
  void ReadInto(SimulatedDevice& device, const ChainRequest& request, std::vector<Frame>& out);
  std::vector<std::size_t> Addressed(int dev, bool includeSleeping) const;
  // False when the silent-device fault keeps the device at `index` from answering.
  bool Answers(std::size_t index, ChainFaults& faults) const;

  int type_;
  std::vector<SimulatedDevice> devices_;
  bool topReported_ = false;
};

}  // namespace qvm::sim
