// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qvm {

inline constexpr std::size_t kReportSize = 64;
using Report = std::array<std::uint8_t, kReportSize>;

// Vendor id of our bridge boards (the build's QVM_VENDOR_ID; --vid chooses another at run
// time) and the product id they enumerate with.
inline constexpr std::uint16_t kBridgeVendorId = QVM_VENDOR_ID;
inline constexpr std::uint16_t kBridgeProductId = 0x2035;

struct HidDeviceInfo {
  std::string path;
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::string product;
  std::string serial;
  std::string manufacturer;
};

enum class ReadResult {
  Report,   // one input report arrived
  Timeout,  // nothing within the time-out
  Error,    // the device is gone or the read failed
};

// One opened HID device: 64-byte output reports out, 64-byte input reports in. Byte 0 of a
// report is its report id.
class HidDevice {
 public:
  virtual ~HidDevice() = default;
  // Sends one output report; false when the write failed.
  virtual bool Write(const Report& report) = 0;
  // Waits up to `timeoutMs` (0: do not wait) for the next input report.
  virtual ReadResult Read(Report& report, int timeoutMs) = 0;
  // Text of the last failure, for the prompts.
  virtual std::string LastError() const = 0;
  // True for the simulated board.
  virtual bool IsSimulated() const = 0;
};

// The HID devices attached to the machine.
class HidBus {
 public:
  virtual ~HidBus() = default;
  // Every attached HID device; the caller picks the ones it wants.
  virtual std::vector<HidDeviceInfo> Enumerate() = 0;
  // Opens a device by the path Enumerate gave; nothing when it cannot be opened.
  virtual std::unique_ptr<HidDevice> Open(const std::string& path) = 0;
  // Why the last Open failed (the system's text, e.g. "Permission denied"); empty when unknown.
  virtual std::string OpenError() const { return {}; }
};

}  // namespace qvm
