// SPDX-License-Identifier: MIT
#include "sim/chain/simulated_chain.h"

#include <algorithm>
#include <stdexcept>

#include "sim/chain/register_map.h"
#include "sim/chain/single_device_frames.h"

namespace qvm::sim {

namespace {

constexpr std::uint8_t kCmdSingle = 21;
constexpr std::uint8_t kCmdDaisy = 22;
constexpr std::uint8_t kCmdUpr0 = 23;
constexpr std::uint8_t kCmdUpr1 = 24;
constexpr std::uint8_t kHeaderUprBits = 0x30;

std::vector<SimulatedDevice> MakeDevices(const ChainLayout& chainLayout, int type,
                                         const ChainOptions& options) {
  const std::uint32_t serialBase =
      chainLayout.family == PrimaryFamily::k38817 ? 0x3881700 : 0x5240000;
  std::vector<SimulatedDevice> devices;
  for (int position = 1; position <= chainLayout.Count(type); ++position) {
    SimulatedDevice::Setup setup;
    setup.cellCount = type == 0 ? SimulatedChain::kPrimaryCells : SimulatedChain::kCompanionCells;
    setup.serial = serialBase + static_cast<std::uint32_t>(type * 0x10000 + position * 0x11);
    setup.seed = options.seed * 1000 + static_cast<std::uint32_t>(type * 100 + position);
    setup.scales = options.scales.value_or(ScalesFor(chainLayout.family));
    devices.emplace_back(setup);
  }
  return devices;
}

std::vector<std::uint8_t> Flatten(const std::vector<Frame>& frames) {
  std::vector<std::uint8_t> bytes;
  for (const Frame& frame : frames) bytes.insert(bytes.end(), frame.begin(), frame.end());
  return bytes;
}

}  // namespace

SimulatedChain::SimulatedChain(const ChainLayout& chainLayout, ChainOptions options)
    : layout_(chainLayout),
      stacks_{DeviceStack(0, MakeDevices(chainLayout, 0, options)),
              DeviceStack(1, MakeDevices(chainLayout, 1, options))} {}

int SimulatedChain::DeviceCount(int type) const {
  return type == 0 || type == 1 ? stacks_[static_cast<std::size_t>(type)].Size() : 0;
}

SimulatedDevice& SimulatedChain::Device(int type, int position) {
  if (type != 0 && type != 1) {
    throw std::out_of_range("no simulated device type " + std::to_string(type));
  }
  return stacks_[static_cast<std::size_t>(type)].At(position);
}

std::size_t SimulatedChain::PendingUprFrames(int type) const {
  return type == 0 || type == 1 ? upr_[static_cast<std::size_t>(type)].Size() : 0;
}

std::vector<std::uint8_t> SimulatedChain::Transfer(const SpiPacket& packet) {
  const int type = (packet.header >> 6) & 1;
  std::vector<std::uint8_t> answer;
  if (packet.bridgeCommand == kCmdUpr0 || packet.bridgeCommand == kCmdUpr1) {
    answer = UprTransfer(packet.bridgeCommand == kCmdUpr1 ? 1 : 0);
  } else if (packet.bridgeCommand == kCmdDaisy) {
    answer = (packet.header & kHeaderUprBits) == kHeaderUprBits ? UprTransfer(type)
                                                                : DaisyTransfer(type, packet);
  } else if (packet.bridgeCommand == kCmdSingle) {
    answer = SingleTransfer(type, packet);
  }
  CollectFaultReports();
  return answer;
}

void SimulatedChain::Advance(std::int64_t nowMs) {
  const std::int64_t elapsed = lastMs_ ? nowMs - *lastMs_ : 0;
  if (lastMs_ && elapsed <= 0) return;
  lastMs_ = nowMs;
  for (auto& stack : stacks_) {
    for (auto& device : stack.Devices()) device.Advance(elapsed);
  }
  CollectFaultReports();
}

std::vector<std::uint8_t> SimulatedChain::DaisyTransfer(int type, const SpiPacket& packet) {
  if (TakeFault(faults_.silentChain)) return {};
  const bool write = (packet.header & 0x80) != 0;
  auto frames = stacks_[static_cast<std::size_t>(type)].Handle(packet.bytes, write, faults_);
  if (frames.empty()) return {};
  if (TakeFault(faults_.nakInstead)) frames = {NakFrame(frames.front()[0] >> 4)};
  if (TakeFault(faults_.badCrc)) {
    Frame& spoiled = frames[std::min(faults_.badCrcFrame, frames.size() - 1)];
    spoiled.back() ^= 0x01;
  }
  return Flatten(frames);
}

std::vector<std::uint8_t> SimulatedChain::SingleTransfer(int type, const SpiPacket& packet) {
  DeviceStack& stack = stacks_[static_cast<std::size_t>(type)];
  SimulatedDevice* device = stack.Size() > 0 ? &stack.At(1) : nullptr;
  if (TakeFault(faults_.silentChain)) device = nullptr;
  if (device != nullptr && faults_.silentType == type && faults_.silentPosition == 1 &&
      TakeFault(faults_.silentDevice)) {
    device = nullptr;
  }
  return AnswerSingleFrame(device, packet.bytes);
}

std::vector<std::uint8_t> SimulatedChain::UprTransfer(int type) {
  DeviceStack& stack = stacks_[static_cast<std::size_t>(type)];
  bool answers = !TakeFault(faults_.silentChain);
  for (int position = 1; answers && position <= stack.NumberedCount(); ++position) {
    answers = !stack.At(position).Asleep();
  }
  return upr_[static_cast<std::size_t>(type)].Read(answers);
}

void SimulatedChain::CollectFaultReports() {
  for (std::size_t type = 0; type < stacks_.size(); ++type) {
    for (auto& device : stacks_[type].Devices()) {
      if (!device.TakeFaultReport() || device.Number() == 0) continue;
      upr_[type].Push(ResponseFrame(device.Number(), 2, regs::kFaultStatus & 63,
                                    device.Read(regs::kFaultStatus)));
    }
  }
}

}  // namespace qvm::sim
