// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "core/clock.h"
#include "link/bridge.h"
#include "link/packet_exchange.h"
#include "recording_view.h"
#include "scripted_host.h"
#include "sim/bridge/simulated_board.h"
#include "sim/bridge/simulated_bus.h"

namespace qvm::test {

// A bridge on a simulated bus with one simulated board (SPI loopback), on virtual time.
class LinkFixture : public ::testing::Test {
 protected:
  LinkFixture() { bus.Attach(board); }

  std::shared_ptr<sim::SimulatedBoard> AddBoard(const std::string& path,
                                                std::uint16_t vendorId = kBridgeVendorId) {
    auto added = std::make_shared<sim::SimulatedBoard>(clock, path, vendorId);
    bus.Attach(added);
    return added;
  }

  VirtualClock clock;
  std::shared_ptr<sim::SimulatedBoard> board =
      std::make_shared<sim::SimulatedBoard>(clock, "sim:0");
  sim::SimulatedBus bus;
  ScriptedHost host;
  RecordingView view;
  Bridge bridge{bus, host, clock, view};
  ExchangeState exchangeState;
  PacketExchange exchange{bridge, exchangeState, host, clock, view};
};

}  // namespace qvm::test
