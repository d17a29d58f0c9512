// SPDX-License-Identifier: MIT
#pragma once
#include <string>
#include <vector>

// qvmctl's polling of the fourteen-device benchmark tick (Scan All and the four read-alls),
// `ticks` times; the interval of 50 ms is shorter than a tick, so the ticks run back to back.
inline std::vector<std::string> QvmctlTickArgs(int ticks) {
  return {"--sim",      "daisy:52400x14",
          "poll",       std::to_string(ticks),
          "--interval", "50",
          "--scan",     "all",
          "--read",     "volts",
          "--read",     "temps",
          "--read",     "faults",
          "--read",     "setups"};
}
