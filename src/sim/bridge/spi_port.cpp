// SPDX-License-Identifier: MIT
#include "sim/bridge/spi_port.h"

#include <algorithm>

namespace qvm::sim {

namespace {

Report PacketReply(std::uint8_t sequence, const std::vector<std::uint8_t>& clockedIn) {
  Report reply{};
  reply[0] = 1;
  reply[2] = sequence;
  const std::size_t n = std::min(clockedIn.size(), SpiPort::kMaxDataBytes);
  reply[3] = static_cast<std::uint8_t>(n + 1);
  std::copy_n(clockedIn.begin(), n, reply.begin() + 5);
  return reply;
}

}  // namespace

std::optional<Report> SpiPort::Handle(const Report& request) {
  const std::uint8_t command = request[1];
  const std::uint8_t sequence = request[2];
  if (command == 22 && sequence == 0) {
    const std::size_t n = std::min<std::size_t>(request[6], kMaxRawBytes);
    const SpiPacket packet{command, 0, std::span(request).subspan(7, n)};
    const auto clockedIn = ClockThrough(packet);
    if (request[3] != 1) return std::nullopt;
    return PacketReply(0, clockedIn);
  }
  const std::size_t n = std::min<std::size_t>(request[3], kMaxDataBytes);
  const SpiPacket packet{command, request[4], std::span(request).subspan(5, n)};
  return PacketReply(sequence, ClockThrough(packet));
}

std::vector<std::uint8_t> SpiPort::ClockThrough(const SpiPacket& packet) {
  if (target_ == nullptr) return {packet.bytes.begin(), packet.bytes.end()};
  target_->Advance(clock_.NowMs());
  return target_->Transfer(packet);
}

}  // namespace qvm::sim
