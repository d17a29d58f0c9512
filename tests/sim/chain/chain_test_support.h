// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

#include "protocol/crc4.h"
#include "protocol/device_command.h"
#include "sim/chain/simulated_chain.h"

namespace qvm::sim::test {

inline constexpr std::uint8_t kCmdSingle = 21;
inline constexpr std::uint8_t kCmdDaisy = 22;

// Sends one packet through the chain as the bridge would clock it.
inline std::vector<std::uint8_t> Send(SimulatedChain& chain, std::uint8_t command,
                                      std::uint8_t header, std::vector<std::uint8_t> bytes) {
  return chain.Transfer(SpiPacket{command, header, bytes});
}

// A daisy-chain frame as the console sends it: header, frame, one extra zero byte.
inline std::vector<std::uint8_t> Daisy(SimulatedChain& chain, int type, int dev, int cat, int adr,
                                       int dat = 0) {
  std::int16_t data = static_cast<std::int16_t>(dat);
  std::vector<std::uint8_t> frame;
  EncodeDaisyFrame(static_cast<std::uint8_t>(dev), static_cast<std::uint8_t>(cat),
                   static_cast<std::uint8_t>(adr), data, frame);
  const bool write = (cat & 8) != 0;
  const auto header = static_cast<std::uint8_t>((write ? 0x80 : 0x00) | (type != 0 ? 0x40 : 0));
  frame.push_back(0);
  return Send(chain, kCmdDaisy, header, frame);
}

struct Answer {
  int dev;
  int cat;
  int adr;
  int dat;
  bool crcGood;
};

// Splits a reply into 4-byte response frames; a trailing remainder is returned as a frame with
// a bad CRC so that a test sees it.
inline std::vector<Answer> Frames(const std::vector<std::uint8_t>& bytes) {
  std::vector<Answer> answers;
  for (std::size_t p = 0; p < bytes.size(); p += 4) {
    if (p + 4 > bytes.size()) {
      answers.push_back({-1, -1, -1, -1, false});
      break;
    }
    DeviceCommand command;
    const bool good = DecodeDaisyResponse(command, std::span(bytes).subspan(p, 4));
    answers.push_back({command.dev, command.cat, command.adr, command.dat, good});
  }
  return answers;
}

inline bool IsAck(const Answer& a) {
  return a.crcGood && a.cat == 3 && a.adr == 12;
}
inline bool IsNak(const Answer& a) {
  return a.crcGood && a.cat == 3 && a.adr == 11;
}

// Runs the console's identify sequence on a type: Identify 0, then 2.. until the top echoes,
// then Identify 63. Returns the count the console would record (0 when something failed).
inline int IdentifyChain(SimulatedChain& chain, int type) {
  auto first = Frames(Daisy(chain, type, 0, 3, 9, 0));
  if (first.size() != 1 || !IsAck(first[0])) return 0;
  int count = 1;
  for (int n = 2; n <= 14; ++n) {
    auto echo = Frames(Daisy(chain, type, 0, 3, 9, n));
    if (echo.size() != 1 || echo[0].adr != 9) return 0;
    count = n;
    if ((echo[0].dat >> 12) == 2) break;
  }
  auto close = Frames(Daisy(chain, type, 0, 3, 9, 63));
  return close.size() == 1 && IsAck(close[0]) ? count : 0;
}

// A chain whose every device has been numbered 1..N by the identify protocol.
inline void NumberAll(SimulatedChain& chain) {
  for (int type = 0; type < 2; ++type) {
    if (chain.DeviceCount(type) == 0) continue;
    Daisy(chain, type, 0, 3, 9, 0);
    for (int n = 2; n <= chain.DeviceCount(type); ++n) Daisy(chain, type, 0, 3, 9, n);
  }
}

inline ChainLayout Daisy52400(int primary, int companion = 0) {
  ChainLayout chainLayout;
  chainLayout.primaryCount = primary;
  chainLayout.companionCount = companion;
  return chainLayout;
}

}  // namespace qvm::sim::test
