// SPDX-License-Identifier: MIT
#include "sim/chain/device_stack.h"

#include <stdexcept>

#include "sim/chain/register_map.h"

namespace qvm::sim {

DeviceStack::DeviceStack(int type, std::vector<SimulatedDevice> devices)
    : type_(type), devices_(std::move(devices)) {}

SimulatedDevice& DeviceStack::At(int position) {
  if (position < 1 || position > Size()) {
    throw std::out_of_range("no simulated device at position " + std::to_string(position) +
                            " of type " + std::to_string(type_));
  }
  return devices_[static_cast<std::size_t>(position - 1)];
}

int DeviceStack::NumberedCount() const {
  int count = 0;
  while (count < Size() && devices_[static_cast<std::size_t>(count)].Number() != 0) ++count;
  return count;
}

std::vector<Frame> DeviceStack::Handle(std::span<const std::uint8_t> bytes, bool write,
                                       ChainFaults& faults) {
  if (devices_.empty()) return {};
  const auto request = DecodeChainRequest(bytes, write);
  if (!request || !request->crcGood) {
    if (devices_.front().Asleep() || !Answers(0, faults)) return {};
    return {NakFrame(request ? request->dev : 0)};
  }
  if (request->Page() != regs::kCommandPage) return Access(*request, faults);
  if (request->adr == regs::kIdentify) return Identify(request->dat, faults);
  if (request->adr == regs::kReset) {
    for (auto& device : devices_) device.SetNumber(0);
    topReported_ = false;
    return {};
  }
  return Command(*request, faults);
}

std::vector<Frame> DeviceStack::Identify(int n, ChainFaults& faults) {
  if (n == regs::kIdentifyBottom) {
    for (auto& device : devices_) device.SetNumber(0);
    topReported_ = false;
    if (devices_.front().Asleep()) return {};
    devices_.front().SetNumber(1);
    if (!Answers(0, faults)) return {};
    return {AckFrame(1)};
  }
  const int numbered = NumberedCount();
  if (numbered == 0) return {};
  if (n == regs::kIdentifyClose) {
    const auto top = static_cast<std::size_t>(numbered - 1);
    if (devices_[top].Asleep() || !Answers(top, faults)) return {};
    return {AckFrame(devices_[top].Number())};
  }
  if (topReported_) return {};
  const auto index = static_cast<std::size_t>(numbered < Size() ? numbered : numbered - 1);
  SimulatedDevice& device = devices_[index];
  if (device.Asleep()) return {};
  if (numbered < Size()) device.SetNumber(n);
  const bool top = index + 1 == devices_.size();
  topReported_ = top;
  if (!Answers(index, faults)) return {};
  int status = top ? regs::kEchoTop : regs::kEchoMiddle;
  if (TakeFault(faults.wrongIdentifyEcho)) status = 1;
  const int data = (status << 12) | (n & 0xFFF);
  return {ResponseFrame(device.Number(), regs::kCommandPage, regs::kIdentify, data)};
}

std::vector<Frame> DeviceStack::Command(const ChainRequest& request, ChainFaults& faults) {
  std::vector<Frame> out;
  for (const std::size_t index : Addressed(request.dev, request.adr == regs::kWake)) {
    SimulatedDevice& device = devices_[index];
    const bool known = device.Execute(request.adr, request.dat);
    if (!Answers(index, faults)) continue;
    out.push_back(known ? AckFrame(device.Number()) : NakFrame(device.Number()));
  }
  return out;
}

std::vector<Frame> DeviceStack::Access(const ChainRequest& request, ChainFaults& faults) {
  std::vector<Frame> out;
  for (const std::size_t index : Addressed(request.dev, false)) {
    SimulatedDevice& device = devices_[index];
    if (request.IsWrite()) {
      const bool stored = device.Write(request.Index(), request.dat);
      if (Answers(index, faults)) {
        out.push_back(stored ? AckFrame(device.Number()) : NakFrame(device.Number()));
      }
    } else if (Answers(index, faults)) {
      ReadInto(device, request, out);
    }
  }
  return out;
}

void DeviceStack::ReadInto(SimulatedDevice& device, const ChainRequest& request,
                           std::vector<Frame>& out) {
  const int page = request.Page();
  const auto block = FindBlockRead(type_, page, request.adr);
  if (!block) {
    out.push_back(ResponseFrame(device.Number(), page, request.adr, device.Read(request.Index())));
    return;
  }
  const int first = block->firstAddress;
  out.push_back(ResponseFrame(device.Number(), page, first, device.Read(page * 64 + first)));
  for (int k = 1; k < block->words; ++k) {
    const int adr = first - k;
    out.push_back(BlockWordFrame(adr, device.Read(page * 64 + adr)));
  }
}

std::vector<std::size_t> DeviceStack::Addressed(int dev, bool includeSleeping) const {
  const bool all = dev == regs::kBroadcast || dev == regs::kBroadcastAlt;
  std::vector<std::size_t> indexes;
  for (std::size_t i = 0; i < devices_.size(); ++i) {
    const SimulatedDevice& device = devices_[i];
    if (device.Number() == 0) break;
    if (!all && device.Number() != dev) continue;
    if (device.Asleep() && !includeSleeping) continue;
    indexes.push_back(i);
  }
  return indexes;
}

bool DeviceStack::Answers(std::size_t index, ChainFaults& faults) const {
  if (faults.silentType != type_ || faults.silentPosition != static_cast<int>(index) + 1) {
    return true;
  }
  return !TakeFault(faults.silentDevice);
}

}  // namespace qvm::sim
