// SPDX-License-Identifier: MIT
#include "protocol/device_command.h"

#include "protocol/crc4.h"

namespace qvm {

namespace {
std::uint8_t Byte(int value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}

// Masks the data to 14 bits, or to the 6 bits a read carries, and writes it back.
int MaskData(std::uint8_t cat, std::int16_t& dat) {
  const int mask = (cat & 0x8) != 0 ? 0x3FFF : 0x3F;
  dat = static_cast<std::int16_t>(dat & mask);
  return dat;
}
}  // namespace

void EncodeNonDaisyFrame(std::uint8_t cat, std::uint8_t adr, std::int16_t& dat,
                         std::vector<std::uint8_t>& frame) {
  cat &= 0xF;
  adr &= 0x3F;
  const int d = MaskData(cat, dat);
  const std::uint8_t first = Byte((cat << 4) | (adr >> 2));
  if ((cat & 0x8) != 0) {
    frame = {first, Byte(((adr & 3) << 6) | (d >> 8)), Byte(d)};
  } else {
    frame = {first, Byte(((adr & 3) << 6) | d)};
  }
}

void EncodeDaisyFrame(std::uint8_t dev, std::uint8_t cat, std::uint8_t adr, std::int16_t& dat,
                      std::vector<std::uint8_t>& frame) {
  dev &= 0xF;
  cat &= 0xF;
  adr &= 0x3F;
  const int d = MaskData(cat, dat);
  const std::uint8_t first = Byte((dev << 4) | cat);
  if ((cat & 0x8) != 0) {
    frame = {first, Byte((adr << 2) | (d >> 12)), Byte(d >> 4), Byte((d & 0xF) << 4)};
  } else {
    frame = {first, Byte((adr << 2) | (d >> 4)), Byte((d & 0xF) << 4)};
  }
  AppendCrc4(frame);
}

bool DecodeDaisyResponse(DeviceCommand& command, std::span<const std::uint8_t> frame) {
  std::span<const std::uint8_t> body;
  if (frame.size() == 4) {
    command.dev = frame[0] >> 4;
    command.cat = frame[0] & 0xF;
    body = frame.subspan(1);
  } else if (frame.size() == 3) {
    body = frame;
  } else {
    return false;
  }
  command.adr = body[0] >> 2;
  command.dat = static_cast<std::int16_t>(((body[0] & 3) << 12) | (body[1] << 4) | (body[2] >> 4));
  return CheckCrc4(frame);
}

}  // namespace qvm
