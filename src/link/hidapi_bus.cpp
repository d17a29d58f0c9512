// SPDX-License-Identifier: MIT
#include "link/hidapi_bus.h"

#include <hidapi/hidapi.h>

#include <cerrno>
#include <cstring>
#include <cwchar>

namespace qvm {

namespace {

std::string Narrow(const wchar_t* text) {
  if (text == nullptr) return {};
  std::string result;
  for (; *text != L'\0'; ++text) {
    const wchar_t c = *text;
    result += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  return result;
}

// One opened device. hidapi uses one handle for both directions; report byte 0 is the report
// id on the way out, and numbered input reports come back with their id in byte 0 too.
class HidapiDevice final : public HidDevice {
 public:
  explicit HidapiDevice(hid_device* handle) : handle_(handle) {}
  ~HidapiDevice() override { hid_close(handle_); }
  HidapiDevice(const HidapiDevice&) = delete;
  HidapiDevice& operator=(const HidapiDevice&) = delete;

  bool Write(const Report& report) override {
    return hid_write(handle_, report.data(), report.size()) == static_cast<int>(report.size());
  }

  ReadResult Read(Report& report, int timeoutMs) override {
    Report incoming{};
    const int n = hid_read_timeout(handle_, incoming.data(), incoming.size(), timeoutMs);
    if (n < 0) return ReadResult::Error;
    if (n == 0) return ReadResult::Timeout;
    report = incoming;
    return ReadResult::Report;
  }

  std::string LastError() const override {
    const std::string text = Narrow(hid_error(handle_));
    return text.empty() ? "unknown HID error" : text;
  }

  bool IsSimulated() const override { return false; }

 private:
  hid_device* handle_;
};

}  // namespace

HidapiBus::HidapiBus() : initialised_(hid_init() == 0) {}

HidapiBus::~HidapiBus() {
  if (initialised_) hid_exit();
}

std::vector<HidDeviceInfo> HidapiBus::Enumerate() {
  std::vector<HidDeviceInfo> devices;
  if (!initialised_) return devices;
  hid_device_info* list = hid_enumerate(0, 0);
  for (const hid_device_info* d = list; d != nullptr; d = d->next) {
    devices.push_back({d->path != nullptr ? d->path : "", d->vendor_id, d->product_id,
                       Narrow(d->product_string), Narrow(d->serial_number),
                       Narrow(d->manufacturer_string)});
  }
  hid_free_enumeration(list);
  return devices;
}

std::unique_ptr<HidDevice> HidapiBus::Open(const std::string& path) {
  if (!initialised_) {
    openError_ = "the HID library could not be initialised";
    return nullptr;
  }
  errno = 0;
  hid_device* handle = hid_open_path(path.c_str());
  if (handle == nullptr) {
    // hidapi's own text names the path and the system's reason; older versions leave it empty.
    const int number = errno;
    openError_ = Narrow(hid_error(nullptr));
    if (openError_.empty() || openError_ == "Success") {
      openError_ = number != 0 ? std::strerror(number) : "unknown error";
    }
    return nullptr;
  }
  openError_.clear();
  return std::make_unique<HidapiDevice>(handle);
}

}  // namespace qvm
