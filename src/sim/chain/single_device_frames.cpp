// SPDX-License-Identifier: MIT
#include "sim/chain/single_device_frames.h"

#include "sim/chain/register_map.h"

namespace qvm::sim {

namespace {
constexpr std::uint8_t kIdle = 0xFF;
}  // namespace

std::vector<std::uint8_t> AnswerSingleFrame(SimulatedDevice* device,
                                            std::span<const std::uint8_t> bytes) {
  std::vector<std::uint8_t> idle(bytes.size(), kIdle);
  if (device == nullptr || bytes.size() < 2) return idle;
  const int cat = bytes[0] >> 4;
  const int adr = ((bytes[0] & 0xF) << 2) | (bytes[1] >> 6);
  const int page = cat & 7;
  const bool write = (cat & 8) != 0;
  const bool command = page == regs::kCommandPage;
  if (device->Asleep() && !(command && adr == regs::kWake)) return idle;
  if (write && bytes.size() < 3) return idle;
  const int data = write ? ((bytes[1] & 0x3F) << 8) | bytes[2] : bytes[1] & 0x3F;

  std::vector<std::uint8_t> answer(bytes.size(), 0);
  if (command) {
    device->Execute(adr, data);
  } else if (write) {
    device->Write(page * 64 + adr, data);
  } else if (answer.size() >= 4) {
    const int value = device->Read(page * 64 + adr);
    answer[2] = static_cast<std::uint8_t>((value >> 8) & 0x3F);
    answer[3] = static_cast<std::uint8_t>(value & 0xFF);
  }
  return answer;
}

}  // namespace qvm::sim
