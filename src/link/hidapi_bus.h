// SPDX-License-Identifier: MIT
#pragma once

#include "link/hid_device.h"

namespace qvm {

// The machine's HID devices through hidapi (hidraw backend). Owns the library's
// initialisation for its lifetime.
class HidapiBus final : public HidBus {
 public:
  HidapiBus();
  ~HidapiBus() override;
  HidapiBus(const HidapiBus&) = delete;
  HidapiBus& operator=(const HidapiBus&) = delete;

  std::vector<HidDeviceInfo> Enumerate() override;
  std::unique_ptr<HidDevice> Open(const std::string& path) override;
  std::string OpenError() const override { return openError_; }

 private:
  bool initialised_ = false;
  std::string openError_;
};

}  // namespace qvm
