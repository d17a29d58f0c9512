// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qvm::sim {

enum class ChainMode { kDaisy, kSingle };

// The part that is device type 0; type 1 is always the companion.
enum class PrimaryFamily { k52400, k38817 };

// What sits on the simulated board's SPI bus, as the `--sim CHAIN` option gives it:
//   daisy:52400x3          three primary ICs in a daisy chain
//   daisy:52400x3+52401x2  the same with two companions on the type-1 chain
//   daisy:52401x2          companions only
//   single:38817           one primary IC in single-device mode
// Daisy chains hold 1..14 devices per type; single-device mode one device per type given.
struct ChainLayout {
  static constexpr int kMaxDevicesPerType = 14;

  ChainMode mode = ChainMode::kDaisy;
  PrimaryFamily family = PrimaryFamily::k52400;
  int primaryCount = 0;    // device type 0
  int companionCount = 0;  // device type 1

  int Count(int type) const { return type == 0 ? primaryCount : companionCount; }
  // The canonical text, which parses back to the same chainLayout.
  std::string ToString() const;

  bool operator==(const ChainLayout&) const = default;
};

// Parses a chain text; on failure returns nothing and says why in `error`.
std::optional<ChainLayout> ParseChainLayout(std::string_view text, std::string& error);

}  // namespace qvm::sim
