// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvm::sim {

// What can go wrong in one SPI packet exchange with the simulated board.
enum class FaultKind {
  Drop,    // the bridge sends no reply
  Seq,     // the reply carries another sequence number
  Seq0,    // the reply carries sequence number 0
  Rid,     // the reply carries another report id
  Crc,     // one response frame has a spoiled CRC4
  Nak,     // the chain answers with a NAK
  Short,   // the reply count is cut to one byte
  Silent,  // the chain stops answering, for good
  Unplug,  // the board is pulled out (until replug=MS puts it back)
};
inline constexpr std::size_t kFaultKindCount = 9;

// "drop", "seq", ... as they are written in a fault list.
std::string_view FaultKindName(FaultKind kind);

// One fault of the list: with a probability per exchange, or once at exchange number `at`
// (counted from 1, every SPI packet the board receives).
struct FaultRule {
  FaultKind kind = FaultKind::Drop;
  double rate = 0.0;
  std::optional<std::uint64_t> at;

  bool operator==(const FaultRule&) const = default;
};

// A parsed `--sim-faults` list.
struct FaultList {
  std::vector<FaultRule> rules;
  // An unplugged board comes back this many milliseconds later; without it, never.
  std::optional<std::int64_t> replugMs;
  // The board is listed but cannot be opened (no permission on its device node).
  bool denied = false;
  // The board opens and takes every report, but its firmware never answers.
  bool mute = false;
  // Every set-up block read-back is preceded by a stray SPI packet reply.
  bool stray = false;

  bool operator==(const FaultList&) const = default;
};

// Parses a comma-separated list such as "crc=0.02,nak@17,unplug@40,replug=500,denied";
// on failure returns nothing and says why in `error`.
std::optional<FaultList> ParseFaultList(std::string_view text, std::string& error);

// The list's syntax in a few lines, for --help.
std::string FaultListHelp();

}  // namespace qvm::sim
