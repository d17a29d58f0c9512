// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/hid_device.h"
#include "sim/bridge/simulated_board.h"

namespace qvm::sim {

// A USB bus with simulated boards on it. Boards are listed in the order they were attached,
// while they are plugged in. A board built with another vendor or product id stands for a
// foreign HID device: listed with its ids, opened like any other.
class SimulatedBus final : public HidBus {
 public:
  SimulatedBus() = default;
  explicit SimulatedBus(std::vector<std::shared_ptr<SimulatedBoard>> boards);

  // Attaching a second board with the same path replaces the first.
  void Attach(std::shared_ptr<SimulatedBoard> board);
  void Detach(const std::string& path);
  // The attached board with this path, plugged in or not; nothing when there is none.
  std::shared_ptr<SimulatedBoard> Board(const std::string& path) const;
  const std::vector<std::shared_ptr<SimulatedBoard>>& Boards() const { return boards_; }

  std::vector<HidDeviceInfo> Enumerate() override;
  // A handle on a plugged-in board; nothing for an unknown path, an unplugged board or one
  // that refuses to be opened (OpenError says why).
  std::unique_ptr<HidDevice> Open(const std::string& path) override;
  std::string OpenError() const override { return openError_; }

 private:
  std::vector<std::shared_ptr<SimulatedBoard>> boards_;
  std::string openError_;
};

}  // namespace qvm::sim
