// SPDX-License-Identifier: MIT
#pragma once

// Pieces every fuzz target shares: a bridge board that answers with the fuzzer's bytes, and
// silent stand-ins for the windows.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/quiet_host.h"
#include "link/hid_device.h"
#include "protocol/fault_recorder.h"
#include "protocol/polling_timer.h"
#include "protocol/protocol_view.h"

namespace qvm::fuzz {

// The fuzzer's bytes, taken in order.
class ByteSource {
 public:
  void Reset(std::span<const std::uint8_t> data) {
    data_ = data;
    pos_ = 0;
  }
  std::size_t Left() const { return data_.size() - pos_; }
  std::uint8_t Byte() { return pos_ < data_.size() ? data_[pos_++] : 0; }
  std::span<const std::uint8_t> Take(std::size_t count) {
    const std::size_t n = std::min(count, Left());
    const auto bytes = data_.subspan(pos_, n);
    pos_ += n;
    return bytes;
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
};

// A bridge board whose every input report comes from the fuzzer: one control byte, then up to
// 63 bytes of report (byte 0 stays the report id 1). Control bit 0 copies the request's
// sequence byte into the reply so that the exchange takes it; bit 1 answers nothing (a lost
// reply). When the bytes run out the board falls silent.
class ReplayDevice final : public HidDevice {
 public:
  explicit ReplayDevice(ByteSource& source) : source_(source) {}

  bool Write(const Report& report) override {
    request_ = report;
    pending_ = true;
    return true;
  }
  ReadResult Read(Report& report, int) override {
    if (!pending_ || source_.Left() == 0) return ReadResult::Timeout;
    pending_ = false;
    const std::uint8_t control = source_.Byte();
    if (control & 0x02) return ReadResult::Timeout;
    Report reply{};
    reply[0] = 1;
    const auto bytes = source_.Take(kReportSize - 1);
    std::copy(bytes.begin(), bytes.end(), reply.begin() + 1);
    if (control & 0x01) reply[2] = request_[2];
    report = reply;
    return ReadResult::Report;
  }
  std::string LastError() const override { return "replay"; }
  bool IsSimulated() const override { return true; }

 private:
  ByteSource& source_;
  Report request_{};
  bool pending_ = false;
};

// One bridge board on the bus, answering from `source`.
class ReplayBus final : public HidBus {
 public:
  explicit ReplayBus(ByteSource& source) : source_(source) {}
  std::vector<HidDeviceInfo> Enumerate() override {
    HidDeviceInfo info;
    info.path = "fuzz:replay";
    info.vendorId = kBridgeVendorId;
    info.productId = kBridgeProductId;
    return {info};
  }
  std::unique_ptr<HidDevice> Open(const std::string&) override {
    return std::make_unique<ReplayDevice>(source_);
  }

 private:
  ByteSource& source_;
};

// The console's views, all shown, so that the parsers refresh everything they can.
class ShowingView final : public ProtocolView {
 public:
  bool UpdateGuiControls() override { return true; }
  int SelectedTab() override { return 0; }
  bool RegisterSlotVisible(int) override { return true; }
  bool MainTabDeviceStatusVisible() override { return true; }
  bool MonitorTabVisible() override { return true; }
};

}  // namespace qvm::fuzz
