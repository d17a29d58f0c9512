// SPDX-License-Identifier: MIT
#pragma once

namespace qvm::sim {

class SimulatedBoard;

// Consulted by a simulated board around every SPI packet (commands 21..24) it receives, for
// example to inject faults into that exchange.
class ExchangeHook {
 public:
  virtual ~ExchangeHook() = default;
  // Before the board looks at the packet; may unplug the board or arm faults.
  virtual void BeforeExchange(SimulatedBoard& board) = 0;
  // After the reply (if any) is queued.
  virtual void AfterExchange(SimulatedBoard& board) = 0;
};

}  // namespace qvm::sim
