// SPDX-License-Identifier: MIT
#include "sim/chain/response_frames.h"

#include <array>

#include "protocol/crc4.h"
#include "sim/chain/register_map.h"

namespace qvm::sim {

namespace {

std::uint8_t Byte(int value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}

struct BlockReadEntry {
  int type;
  int page;
  int adr;
  BlockRead block;
};

constexpr std::array<BlockReadEntry, 6> kBlockReads = {{
    {0, 1, 15, {12, 13}},
    {0, 1, 31, {22, 7}},
    {0, 2, 15, {6, 7}},
    {0, 2, 31, {29, 14}},
    {1, 2, 15, {5, 5}},
    {1, 2, 31, {29, 7}},
}};

}  // namespace

std::optional<ChainRequest> DecodeChainRequest(std::span<const std::uint8_t> bytes, bool write) {
  const std::size_t size = write ? 4 : 3;
  if (bytes.size() < size) return std::nullopt;
  const auto frame = bytes.first(size);
  ChainRequest request;
  request.dev = frame[0] >> 4;
  request.cat = frame[0] & 0xF;
  request.adr = frame[1] >> 2;
  request.dat = write ? ((frame[1] & 3) << 12) | (frame[2] << 4) | (frame[3] >> 4)
                      : ((frame[1] & 3) << 4) | (frame[2] >> 4);
  request.crcGood = CheckCrc4(frame);
  return request;
}

Frame ResponseFrame(int dev, int cat, int adr, int data) {
  Frame frame = {Byte(((dev & 0xF) << 4) | (cat & 0xF)),
                 Byte(((adr & 0x3F) << 2) | ((data >> 12) & 3)), Byte(data >> 4),
                 Byte((data & 0xF) << 4)};
  AppendCrc4(frame);
  return frame;
}

Frame BlockWordFrame(int adr, int data) {
  Frame frame = {Byte(((adr & 0x3F) << 2) | ((data >> 12) & 3)), Byte(data >> 4),
                 Byte((data & 0xF) << 4)};
  AppendCrc4(frame);
  return frame;
}

Frame AckFrame(int dev) {
  return ResponseFrame(dev, regs::kCommandPage, regs::kAck, 0);
}

Frame NakFrame(int dev) {
  return ResponseFrame(dev, regs::kCommandPage, regs::kNak, 0);
}

std::optional<BlockRead> FindBlockRead(int type, int page, int adr) {
  for (const auto& entry : kBlockReads) {
    if (entry.type == type && entry.page == page && entry.adr == adr) return entry.block;
  }
  return std::nullopt;
}

}  // namespace qvm::sim
